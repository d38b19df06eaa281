#include "capture/pending_output.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "capture/output_format.h"

namespace {

constexpr mode_t kFolderMode = 0755;
constexpr mode_t kFileMode = 0644;

std::string Trimmed(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

std::string Reason() {
    return std::strerror(errno);
}

// Names an earlier capture left in a folder: frame_NNNNNN.png and the music.
bool IsCaptureFile(const char* name) {
    if (std::strcmp(name, kFolderMusic) == 0) {
        return true;
    }
    unsigned number = 0;
    int length = 0;
    return std::sscanf(name, "frame_%6u.png%n", &number, &length) == 1 &&
           length == static_cast<int>(std::strlen(name)) && std::strlen(name) == 16;
}

std::vector<std::string> CaptureFilesIn(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            if (IsCaptureFile(entry->d_name)) {
                names.emplace_back(entry->d_name);
            }
        }
        closedir(dir);
    }
    return names;
}

} // namespace

PendingOutput::PendingOutput(const std::string& output, bool folder, const std::string& extension)
    : output_(Trimmed(output)), folder_(folder) {
    const std::size_t slash = output_.find_last_of('/');
    const std::string dir = slash == std::string::npos ? "." : output_.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? output_ : output_.substr(slash + 1);
    temporary_ = (slash == std::string::npos ? std::string() : dir) + "." + base + ".part-" +
                 std::to_string(getpid()) + extension;
    if (folder_) {
        if (mkdir(temporary_.c_str(), kFolderMode) != 0) {
            throw std::runtime_error("cannot write " + output + ": " + Reason());
        }
    } else {
        const int fd = open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kFileMode);
        if (fd < 0) {
            throw std::runtime_error("cannot write " + output + ": " + Reason());
        }
        close(fd);
    }
}

PendingOutput::~PendingOutput() {
    if (!committed_) {
        RemoveTemporary();
    }
}

void PendingOutput::RemoveTemporary() {
    if (!folder_) {
        unlink(temporary_.c_str());
        return;
    }
    for (const std::string& name : CaptureFilesIn(temporary_)) {
        unlink((temporary_ + "/" + name).c_str());
    }
    rmdir(temporary_.c_str());
}

void PendingOutput::Commit() {
    if (!folder_) {
        if (rename(temporary_.c_str(), output_.c_str()) != 0) {
            throw std::runtime_error("cannot write " + output_ + ": " + Reason());
        }
        committed_ = true;
        return;
    }
    // A new folder is the temporary one renamed; into an existing one the
    // files move one by one, and what an earlier capture left there goes.
    if (rename(temporary_.c_str(), output_.c_str()) == 0) {
        committed_ = true;
        return;
    }
    struct stat status;
    if (stat(output_.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) {
        throw std::runtime_error("cannot write " + output_ + ": " + Reason());
    }
    const std::vector<std::string> fresh = CaptureFilesIn(temporary_);
    for (const std::string& name : CaptureFilesIn(output_)) {
        if (access((temporary_ + "/" + name).c_str(), F_OK) != 0) {
            unlink((output_ + "/" + name).c_str());
        }
    }
    for (const std::string& name : fresh) {
        if (rename((temporary_ + "/" + name).c_str(), (output_ + "/" + name).c_str()) != 0) {
            throw std::runtime_error("cannot write " + output_ + "/" + name + ": " + Reason());
        }
    }
    rmdir(temporary_.c_str());
    committed_ = true;
}

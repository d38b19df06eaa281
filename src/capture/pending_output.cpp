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

PendingOutput::PendingOutput(const OutputName& output, bool folder)
    : output_(output.path), folder_(folder) {
    temporary_ =
        output.folder + "." + output.base + ".part-" + std::to_string(getpid()) + output.extension;
    if (folder_) {
        if (mkdir(temporary_.c_str(), kFolderMode) != 0) {
            throw std::runtime_error("cannot write " + output.given + ": " + Reason());
        }
    } else {
        const int fd = open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kFileMode);
        if (fd < 0) {
            throw std::runtime_error("cannot write " + output.given + ": " + Reason());
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

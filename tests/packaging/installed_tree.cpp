#include "installed_tree.h"

#include <ftw.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "show_process.h"

namespace {

std::string listingRoot;
std::vector<std::string>* listing;

int AddToListing(const char* path, const struct stat* info, int, struct FTW*) {
    const std::string relative = std::string(path).substr(listingRoot.size());
    if (relative.empty()) {
        return 0;
    }
    char line[64];
    const char type = S_ISDIR(info->st_mode) ? 'd' : S_ISLNK(info->st_mode) ? 'l' : 'f';
    std::snprintf(line, sizeof line, "%04o %c ", unsigned(info->st_mode & 07777), type);
    listing->push_back(line + relative.substr(1));
    return 0;
}

} // namespace

std::string InstalledPrefix() {
    return std::string(PACKAGING_TEST_DIR) + "/destdir" + PACKAGING_TEST_PREFIX;
}

std::string InstallManifest() {
    return std::string(PACKAGING_TEST_DIR) + "/install_manifest.txt";
}

std::string DebianPackage() {
    const std::string architecture = Shell("dpkg --print-architecture").out;
    return std::string(PACKAGING_TEST_DIR) + "/deb/tromvisk_" + PACKAGING_VERSION + "_" +
           architecture.substr(0, architecture.find('\n')) + ".deb";
}

TempFolder::TempFolder() {
    char pattern[] = "/tmp/tromvisk-packaging-XXXXXX";
    path_ = mkdtemp(pattern);
    chmod(path_.c_str(), 0755); // so that a test may run the tree as another user
}

TempFolder::~TempFolder() {
    Shell("chmod -R u+rwX " + Quoted(path_) + "; rm -rf " + Quoted(path_));
}

void CopyTree(const std::string& from, const std::string& to) {
    Shell("mkdir -p " + Quoted(to) + " && cp -a " + Quoted(from) + "/. " + Quoted(to) + "/");
}

CommandResult Shell(const std::string& command) {
    char pattern[] = "/tmp/tromvisk-run-XXXXXX";
    const std::string dir = mkdtemp(pattern);
    const std::string full = "( " + command + " ) >" + dir + "/out 2>" + dir + "/err </dev/null";
    const int raw = std::system(full.c_str());
    CommandResult result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    result.out = ReadFile(dir + "/out");
    result.err = ReadFile(dir + "/err");
    std::system(("rm -rf " + dir).c_str());
    return result;
}

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

std::vector<std::string> TreeListing(const std::string& root) {
    std::vector<std::string> lines;
    listingRoot = root;
    listing = &lines;
    nftw(root.c_str(), AddToListing, 16, FTW_PHYS);
    std::sort(lines.begin(), lines.end(),
              [](const std::string& a, const std::string& b) { return a.substr(7) < b.substr(7); });
    return lines;
}

// What the packaging tests share: where the test install and the test package
// are, private copies of them, and commands run with their output and status.
#pragma once

#include <string>
#include <vector>

// The tree installed into the test's DESTDIR (the prefix folder).
std::string InstalledPrefix();
// install_manifest.txt of that install: absolute paths under the prefix.
std::string InstallManifest();
// The package made by CPack for the tests.
std::string DebianPackage();

// A temporary folder, readable by everyone, removed by the destructor.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

// Copies a folder's contents (modes kept) into another, made if need be.
void CopyTree(const std::string& from, const std::string& to);

struct CommandResult {
    int status = -1; // exit status, or 128 + signal
    std::string out, err;
};
// Runs a shell command with both output streams captured.
CommandResult Shell(const std::string& command);

std::string Quoted(const std::string& text); // for a shell command line

// Every path under root (files, links and folders), relative, sorted, with
// its type and permission bits: "0755 d share/tromvisk".
std::vector<std::string> TreeListing(const std::string& root);

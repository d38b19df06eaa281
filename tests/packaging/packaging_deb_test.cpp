// The Debian package as dpkg-deb, dpkg and lintian see it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "installed_tree.h"

namespace {

const std::string kAppId = PACKAGING_APP_ID;

std::string Field(const std::string& info, const std::string& name) {
    std::istringstream lines(info);
    for (std::string line; std::getline(lines, line);) {
        const std::string key = " " + name + ": ";
        if (line.rfind(key, 0) == 0) {
            return line.substr(key.size());
        }
    }
    return "";
}

TEST(DebianPackage, InfoGivesNameVersionSectionAndComputedDependencies) {
    const CommandResult info = Shell("dpkg-deb --info " + Quoted(DebianPackage()));
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_EQ(Field(info.out, "Package"), "tromvisk");
    EXPECT_EQ(Field(info.out, "Version"), PACKAGING_VERSION);
    EXPECT_EQ(Field(info.out, "Section"), "games");
    EXPECT_EQ(Field(info.out, "Architecture"), Shell("dpkg --print-architecture").out.substr(0, 5));
    EXPECT_EQ(Field(info.out, "Description"), "self-running real-time 3D show with its own music");
    EXPECT_NE(info.out.find("  Tromvisk is a demo:"), std::string::npos)
        << "an extended description";
    EXPECT_EQ(info.out.find("Homepage:"), std::string::npos) << "no home page yet: no field";
    // From the binaries, by dpkg-shlibdeps: the C library, SDL 1.2, its mixer, GL and GLU.
    const std::string depends = Field(info.out, "Depends");
    for (const char* library : {"libc6 (", "libsdl1.2", "libsdl-mixer1.2", "libglu1"}) {
        EXPECT_NE(depends.find(library), std::string::npos) << library << " in " << depends;
    }
    EXPECT_TRUE(depends.find("libopengl0") != std::string::npos ||
                depends.find("libgl1") != std::string::npos)
        << "OpenGL in " << depends;
}

TEST(DebianPackage, ContentsAreTheInstalledTreeUnderUsrOwnedByRoot) {
    const CommandResult contents = Shell("dpkg-deb --contents " + Quoted(DebianPackage()));
    ASSERT_EQ(contents.status, 0) << contents.err;
    std::vector<std::string> listing;
    std::istringstream lines(contents.out);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string mode, owner, size, date, time, path;
        fields >> mode >> owner >> size >> date >> time >> path;
        EXPECT_EQ(owner, "root/root") << path;
        listing.push_back(mode + " " + path);
    }
    for (const std::string& expected : std::vector<std::string>{
             "-rwxr-xr-x ./usr/games/tromvisk",
             "-rwxr-xr-x ./usr/libexec/tromvisk/tromvisk",
             "-rw-r--r-- ./usr/share/tromvisk/demo.xm",
             "-rw-r--r-- ./usr/share/applications/" + kAppId + ".desktop",
             "-rw-r--r-- ./usr/share/metainfo/" + kAppId + ".metainfo.xml",
             "-rw-r--r-- ./usr/share/icons/hicolor/48x48/apps/" + kAppId + ".png",
             "-rw-r--r-- ./usr/share/icons/hicolor/512x512/apps/" + kAppId + ".png",
             "-rw-r--r-- ./usr/share/man/man6/tromvisk.6.gz",
             "-rw-r--r-- ./usr/share/doc/tromvisk/copyright",
             "-rw-r--r-- ./usr/share/doc/tromvisk/changelog.gz",
             "drwxr-xr-x ./usr/share/tromvisk/",
         }) {
        EXPECT_NE(std::find(listing.begin(), listing.end(), expected), listing.end()) << expected;
    }
    for (const char* expected : {"-rwxr-xr-x ./usr/games/tromvisk-capture",
                                 "-rw-r--r-- ./usr/share/man/man1/tromvisk-capture.1.gz"}) {
        EXPECT_NE(std::find(listing.begin(), listing.end(), expected), listing.end()) << expected;
    }
    for (const std::string& entry : listing) {
        EXPECT_TRUE(entry.rfind("drwxr-xr-x ", 0) == 0 || entry.rfind("-rw-r--r-- ", 0) == 0 ||
                    entry.rfind("-rwxr-xr-x ", 0) == 0)
            << entry;
    }
    // The same files as an install, the programs in /usr/games as Debian keeps games.
    const std::size_t files = std::count_if(listing.begin(), listing.end(),
                                            [](const std::string& e) { return e[0] == '-'; });
    const std::string installed =
        Shell("find " + Quoted(InstalledPrefix()) + " -type f | wc -l").out;
    EXPECT_EQ(std::to_string(files) + "\n", installed);
    const CommandResult unstripped = Shell("dpkg-deb --fsys-tarfile " + Quoted(DebianPackage()) +
                                           " | tar -xO ./usr/libexec/tromvisk/tromvisk | file -");
    EXPECT_NE(unstripped.out.find(", stripped"), std::string::npos) << unstripped.out;
}

TEST(DebianPackage, LintianFindsNoError) {
    const CommandResult lintian =
        Shell("lintian --no-tag-display-limit " + Quoted(DebianPackage()));
    EXPECT_EQ(lintian.out.find("E: "), std::string::npos) << lintian.out;
    EXPECT_EQ(lintian.err.find("E: "), std::string::npos) << lintian.err;
    EXPECT_EQ(lintian.status, 0) << lintian.out << lintian.err;
}

// dpkg itself, on a private root with its own database: installing puts the
// files in place, purging leaves not a file or folder behind.
TEST(DebianPackage, DpkgInstallsAndRemovesLeavingNothing) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "dpkg --root needs root to set the files' owner";
    }
    TempFolder root;
    const std::string dpkg =
        "dpkg --root=" + Quoted(root.path()) + " --force-depends --force-script-chrootless ";
    ASSERT_EQ(Shell("mkdir -p " + Quoted(root.path()) + "/var/lib/dpkg/info " +
                    Quoted(root.path()) + "/var/lib/dpkg/updates && touch " + Quoted(root.path()) +
                    "/var/lib/dpkg/status")
                  .status,
              0);
    const CommandResult install = Shell(dpkg + "-i " + Quoted(DebianPackage()));
    ASSERT_EQ(install.status, 0) << install.out << install.err;
    EXPECT_EQ(Shell("test -x " + Quoted(root.path()) + "/usr/games/tromvisk").status, 0);
    EXPECT_EQ(Shell("test -f " + Quoted(root.path()) + "/usr/share/tromvisk/demo.xm").status, 0);
    const CommandResult purge = Shell(dpkg + "-P tromvisk");
    ASSERT_EQ(purge.status, 0) << purge.out << purge.err;
    EXPECT_EQ(
        Shell("find " + Quoted(root.path()) + " -mindepth 1 -path '*/var' -prune -o -print").out,
        "");
}

} // namespace

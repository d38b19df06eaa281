// The tree `cmake --install` writes: every file where it belongs with its
// mode, the desktop entry, metainfo and man pages valid for their checkers,
// an icon that shows the cube group, and nothing left after an uninstall.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "installed_tree.h"
#include "png_file.h"
#include "show_process.h"

namespace {

const std::string kAppId = PACKAGING_APP_ID;
constexpr int kIconSizes[] = {48, 64, 128, 256, 512};

std::string Icon(int size) {
    const std::string folder = std::to_string(size) + "x" + std::to_string(size);
    return "share/icons/hicolor/" + folder + "/apps/" + kAppId + ".png";
}

// Every file and folder of an install, with its mode, in listing order.
std::vector<std::string> ExpectedTree(const std::string& launcherDir) {
    std::vector<std::string> files = {
        "0755 f " + launcherDir + "/tromvisk",
        "0755 f libexec/tromvisk/tromvisk",
        "0644 f share/tromvisk/demo.xm",
        "0644 f share/applications/" + kAppId + ".desktop",
        "0644 f share/metainfo/" + kAppId + ".metainfo.xml",
        "0644 f share/man/man6/tromvisk.6.gz",
        "0644 f share/doc/tromvisk/copyright",
        "0644 f share/doc/tromvisk/changelog.gz",
    };
    for (int size : kIconSizes) {
        files.push_back("0644 f " + Icon(size));
    }
    files.push_back("0755 f bin/tromvisk-capture");
    files.push_back("0644 f share/man/man1/tromvisk-capture.1.gz");
    // Every folder on the way, 0755.
    std::vector<std::string> all = files;
    for (const std::string& file : files) {
        const std::string path = file.substr(7);
        for (std::size_t slash = path.find('/'); slash != std::string::npos;
             slash = path.find('/', slash + 1)) {
            const std::string folder = "0755 d " + path.substr(0, slash);
            if (std::find(all.begin(), all.end(), folder) == all.end()) {
                all.push_back(folder);
            }
        }
    }
    std::sort(all.begin(), all.end(),
              [](const std::string& a, const std::string& b) { return a.substr(7) < b.substr(7); });
    return all;
}

// Lines of a validator's report that are errors or warnings ("E: ", "W: ").
std::string Complaints(const std::string& report) {
    std::string found;
    std::istringstream lines(report);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("E:", 0) == 0 || line.rfind("W:", 0) == 0) {
            found += line + "\n";
        }
    }
    return found;
}

TEST(InstalledTree, EveryFileInPlaceWithItsModeAndNothingElse) {
    EXPECT_EQ(TreeListing(InstalledPrefix()), ExpectedTree("bin"));
    EXPECT_EQ(ReadFile(InstalledPrefix() + "/share/tromvisk/demo.xm"), BuiltMusic());
    EXPECT_EQ(ReadFile(InstalledPrefix() + "/libexec/tromvisk/tromvisk"),
              ReadFile(PACKAGING_BUILT_SHOW));
    EXPECT_EQ(ReadFile(InstalledPrefix() + "/bin/tromvisk").rfind("#!/bin/sh\n", 0), 0u);
}

TEST(InstalledTree, DesktopEntryValidatesAndNamesTheLauncherAndIcon) {
    const std::string entry = InstalledPrefix() + "/share/applications/" + kAppId + ".desktop";
    const CommandResult check = Shell("desktop-file-validate " + Quoted(entry));
    EXPECT_EQ(check.status, 0);
    EXPECT_EQ(check.out + check.err, "") << "no error, warning or hint";
    const std::string text = ReadFile(entry);
    EXPECT_NE(text.find("\nExec=tromvisk\n"), std::string::npos);
    EXPECT_NE(text.find("\nIcon=" + kAppId + "\n"), std::string::npos);
    EXPECT_NE(text.find("\nCategories=Game;"), std::string::npos);
}

TEST(InstalledTree, MetainfoValidatesWithTheProjectVersion) {
    const std::string metainfo = InstalledPrefix() + "/share/metainfo/" + kAppId + ".metainfo.xml";
    const CommandResult check =
        Shell("appstreamcli validate --no-net --pedantic " + Quoted(metainfo));
    EXPECT_EQ(check.status, 0) << check.out << check.err;
    EXPECT_EQ(Complaints(check.out + check.err), "");
    const std::string text = ReadFile(metainfo);
    EXPECT_NE(text.find("<release version=\"" PACKAGING_VERSION "\""), std::string::npos);
    EXPECT_NE(text.find("<launchable type=\"desktop-id\">" + kAppId + ".desktop</launchable>"),
              std::string::npos);
    EXPECT_NE(text.find("<content_rating"), std::string::npos);
    EXPECT_NE(text.find("<project_license>MIT</project_license>"), std::string::npos);
    // No home page or published pictures yet: no address at all, rather than a made-up one.
    EXPECT_EQ(text.find("://"), std::string::npos) << text;
    EXPECT_NE(text.find("<binary>tromvisk</binary>"), std::string::npos);
}

TEST(InstalledTree, CopyrightFileIsMachineReadableAndCarriesTheLicence) {
    // python3-debian's parser of the machine-readable format rejects a malformed file.
    const std::string parse = "import sys\n"
                              "from debian.copyright import Copyright\n"
                              "c = Copyright(open(sys.argv[1]), strict=True)\n"
                              "files = c.find_files_paragraph(\"src/main.cpp\")\n"
                              "print(files.copyright)\n"
                              "print(files.license.synopsis)\n"
                              "print(next(iter(c.all_license_paragraphs())).license.text)\n";
    const CommandResult parsed = Shell("/usr/bin/python3 -c " + Quoted(parse) + " " +
                                       Quoted(InstalledPrefix() + "/share/doc/tromvisk/copyright"));
    ASSERT_EQ(parsed.status, 0) << parsed.err;
    // LICENSE: the copyright line, an empty line, the terms.
    const std::string licence = ReadFile(PACKAGING_LICENSE_FILE);
    const std::string holderLine = "Copyright (c) ";
    const std::size_t holder = licence.find(holderLine);
    const std::size_t terms = licence.find("\n\n", holder);
    ASSERT_NE(terms, std::string::npos);
    EXPECT_EQ(parsed.out, licence.substr(holder + holderLine.size(),
                                         licence.find('\n', holder) - holder - holderLine.size()) +
                              "\nExpat\n" + licence.substr(terms + 2));
}

TEST(InstalledTree, ManPagesHaveNoWarningAndCarryTheVersion) {
    const std::vector<std::string> pages = {"share/man/man6/tromvisk.6.gz",
                                            "share/man/man1/tromvisk-capture.1.gz"};
    for (const std::string& page : pages) {
        const std::string path = Quoted(InstalledPrefix() + "/" + page);
        const CommandResult groff = Shell("zcat " + path + " | groff -man -ww -z");
        EXPECT_EQ(groff.status, 0) << page;
        EXPECT_EQ(groff.out + groff.err, "") << page;
        const CommandResult mandoc = Shell("mandoc -Tlint " + path);
        EXPECT_EQ(mandoc.status, 0) << page;
        EXPECT_EQ(mandoc.out + mandoc.err, "") << page;
        const CommandResult head = Shell("zcat " + path + " | head -n 1");
        EXPECT_NE(head.out.find("\"Tromvisk " PACKAGING_VERSION "\""), std::string::npos) << page;
    }
    const CommandResult changelog =
        Shell("zcat " + Quoted(InstalledPrefix() + "/share/doc/tromvisk/changelog.gz"));
    EXPECT_EQ(changelog.out.rfind("tromvisk (" PACKAGING_VERSION ") ", 0), 0u) << changelog.out;
}

TEST(InstalledTree, CompressedFilesCarryNoTimeStamp) {
    for (const std::string& file : {std::string("share/man/man6/tromvisk.6.gz"),
                                    std::string("share/doc/tromvisk/changelog.gz")}) {
        const std::string bytes = ReadFile(InstalledPrefix() + "/" + file);
        ASSERT_GT(bytes.size(), 10u) << file;
        EXPECT_EQ(bytes.substr(4, 4), std::string(4, '\0')) << file << ": gzip time stamp";
        EXPECT_EQ(bytes[3] & 0x08, 0) << file << ": gzip file name";
    }
}

// At every size a picture of the cube group: most pixels are the cubes'
// blue, cyan and magenta, and each of the three is there, even at 48 px.
TEST(InstalledTree, IconsShowTheCubeGroupAtEverySize) {
    for (int size : kIconSizes) {
        RgbImage icon;
        std::string error;
        ASSERT_TRUE(ReadPng(InstalledPrefix() + "/" + Icon(size), icon, error)) << error;
        EXPECT_EQ(icon.width, size);
        EXPECT_EQ(icon.height, size);
        int blue = 0, cyan = 0, magenta = 0;
        for (std::size_t i = 0; i + 2 < icon.pixels.size(); i += 3) {
            const int r = icon.pixels[i], g = icon.pixels[i + 1], b = icon.pixels[i + 2];
            blue += b > 150 && r < 60 && g < 60;
            cyan += b > 150 && g > 150 && r < 60;
            magenta += b > 150 && r > 150 && g < 60;
        }
        const double pixels = double(size) * size;
        EXPECT_GT((blue + cyan + magenta) / pixels, 0.2) << size << " px";
        EXPECT_GT(blue / pixels, 0.03) << size << " px";
        EXPECT_GT(cyan / pixels, 0.03) << size << " px";
        EXPECT_GT(magenta / pixels, 0.1) << size << " px";
    }
}

// The manifest lists what the install wrote; removing those files leaves
// not one file behind.
TEST(InstalledTree, RemovingTheManifestFilesLeavesNoFile) {
    TempFolder root;
    const std::string prefix = root.path() + PACKAGING_TEST_PREFIX;
    CopyTree(InstalledPrefix(), prefix);
    const std::string files = Shell("find " + Quoted(prefix) + " ! -type d | sort").out;
    const std::string listed =
        Shell("sed 's|^|" + root.path() + "|' " + Quoted(InstallManifest()) + " | sort").out;
    ASSERT_FALSE(files.empty());
    EXPECT_EQ(listed, files) << "the manifest lists every installed file";
    const CommandResult removal = Shell("sed 's|^|" + root.path() + "|' " +
                                        Quoted(InstallManifest()) + " | xargs -d '\\n' rm --");
    ASSERT_EQ(removal.status, 0) << removal.err;
    EXPECT_EQ(Shell("find " + Quoted(prefix) + " ! -type d").out, "");
}

} // namespace

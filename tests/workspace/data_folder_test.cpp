// Where the data goes: a writable folder of a portable copy, else the per-user location; never
// the folder the program was installed to, even when it is writable.

#include "support/temp_dir.h"
#include "workspace/data_folder.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

using app::chooseDataFolder;
using testing_support::TempDir;
namespace fs = std::filesystem;

TEST(DataFolder, PortableCopyKeepsItsDataBesideItAndInstalledProgramUsesTheUserFolder) {
    TempDir root;
    fs::create_directories(root.path() / "portable");
    fs::create_directories(root.path() / "usr" / "bin");
    const std::string user = root.file("home/.local/share/app");

    EXPECT_EQ(chooseDataFolder(root.file("portable"), "/usr/bin", user), root.file("portable"));
    EXPECT_FALSE(fs::exists(user));
    // No installed folder known (a build without one): only writability decides.
    EXPECT_EQ(chooseDataFolder(root.file("portable"), "", user), root.file("portable"));

    // Writable (root may write anywhere), but the installed folder: the user's folder, created.
    EXPECT_EQ(chooseDataFolder(root.file("usr/bin"), root.file("usr/bin"), user), user);
    EXPECT_TRUE(fs::is_directory(user));
    // The same folder spelled another way, or reached through a link, is still the installed one.
    EXPECT_EQ(chooseDataFolder(root.file("usr/bin/"), root.file("usr/../usr/bin"), user), user);
    fs::create_directory_symlink(root.path() / "usr" / "bin", root.path() / "bin");
    EXPECT_EQ(chooseDataFolder(root.file("bin"), root.file("usr/bin"), user), user);
}

TEST(DataFolder, ProgramFolderThatCannotBeWrittenGivesTheUserFolder) {
    if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    TempDir root;
    const fs::path locked = root.path() / "locked";
    fs::create_directories(locked);
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
    const std::string user = root.file("user");
    EXPECT_EQ(chooseDataFolder(locked.string(), "/usr/bin", user), user);
    EXPECT_TRUE(fs::is_empty(locked));
    fs::permissions(locked, fs::perms::owner_all);
}

// The copy of the v2 package in the install folder, which the maker's tools read: only its own five
// names are replaced, through a handle to a folder reached without following a link.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DriverMachine.h"
#include "TestSupport.h"
#include "ethdrv/DriverInstaller.h"
#include "ethdrv/PackageCopy.h"

using namespace testing_support;

TEST(PackageCopy, ReplacesOnlyItsOwnFilesAndNeverWritesThroughALink)
{
    TempDir install;
    const std::string ethdrv = install.File("EthDrv\\");
    const std::string outside = install.File("outside.txt");
    ASSERT_TRUE(WriteWholeFile(outside, "outside"));
    ASSERT_TRUE(CreateDirectoryA(ethdrv.c_str(), nullptr));
    // What a user may have left: other files, a folder with a marker, an old read-only package file,
    // and a hard link under a package name to a file elsewhere.
    ASSERT_TRUE(WriteWholeFile(ethdrv + "notes.txt", "notes"));
    ASSERT_TRUE(CreateDirectoryA((ethdrv + "sub").c_str(), nullptr));
    ASSERT_TRUE(WriteWholeFile(ethdrv + "sub\\marker.txt", "marker"));
    ASSERT_TRUE(WriteWholeFile(ethdrv + "NxNtSp50.cat", "old"));
    ASSERT_TRUE(SetFileAttributesA((ethdrv + "NxNtSp50.cat").c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(CreateHardLinkA((ethdrv + "NxNtSp50.inf").c_str(), outside.c_str(), nullptr));
    // And what a stopped run left while writing a package file: a name it would write through.
    ASSERT_TRUE(CreateHardLinkA((ethdrv + "NxNtSp50.cat.NoxSetup-new").c_str(), outside.c_str(), nullptr));

    PackageCopy copy;
    ASSERT_TRUE(copy.Open(ethdrv));
    ASSERT_TRUE(copy.Write(DriverPackage::kCatalogue, DriverPackage::kResourceType, "NxNtSp50.cat"));
    ASSERT_TRUE(copy.Write(DriverPackage::kSetupInformation, DriverPackage::kResourceType, "NxNtSp50.inf"));
    EXPECT_EQ(ReadWholeFile(StandinFile("package\\v2\\NxNtSp50.cat")), ReadWholeFile(ethdrv + "NxNtSp50.cat"));
    EXPECT_EQ(ReadWholeFile(StandinFile("package\\v2\\NxNtSp50.inf")), ReadWholeFile(ethdrv + "NxNtSp50.inf"));
    EXPECT_EQ("outside", ReadWholeFile(outside)) << "the hard links went as names, their file untouched";
    EXPECT_EQ((std::vector<std::string>{"NxNtSp50.cat", "NxNtSp50.inf", "notes.txt", "sub"}), FileNames(ethdrv + "*"));
    EXPECT_EQ("marker", ReadWholeFile(ethdrv + "sub\\marker.txt"));

    // A folder under a package name is not the copy's to remove.
    ASSERT_TRUE(CreateDirectoryA((ethdrv + "W64N55.dll").c_str(), nullptr));
    EXPECT_FALSE(copy.Write(DriverPackage::kNdisLibrary64, DriverPackage::kResourceType, "W64N55.dll"));

    // A missing folder is made; a file of the folder's name is refused.
    PackageCopy fresh;
    EXPECT_TRUE(fresh.Open(install.File("Fresh\\")));
    ASSERT_TRUE(WriteWholeFile(install.File("AFile"), "a file"));
    PackageCopy refused;
    EXPECT_FALSE(refused.Open(install.File("AFile\\")));
    EXPECT_EQ("a file", ReadWholeFile(install.File("AFile")));
}

TEST(PackageCopy, AFolderThatIsALinkIsRefused)
{
    // EthDrv links to a folder beside the installation (a Unix link, made by the test fixture).
    PackageCopy copy;
    EXPECT_FALSE(copy.Open(BuildFile("linked-install\\install\\EthDrv\\")));
    EXPECT_EQ(std::vector<std::string>{"keep.txt"}, FileNames(BuildFile("linked-install\\target\\*")));
}

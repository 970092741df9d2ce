#include "app/programfolders.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(ProgramFolders, WritesBesideTheProgramWhenThatFolderIsWritable)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ProgramFolders folders(dir.path());
    EXPECT_EQ(folders.writableDir(), QDir::cleanPath(dir.path()));
    EXPECT_EQ(folders.writablePath("out.cn"), QDir::cleanPath(dir.path()) + "/out.cn");
    EXPECT_EQ(folders.resourcePath("Prentavik_US.xml"), QDir::cleanPath(dir.path()) + "/Prentavik_US.xml");
}

TEST(ProgramFolders, FallsBackToThePerUserFolderWhenTheProgramFolderCannotBeWritten)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A folder that does not exist cannot take a file: the same case as a
    // read-only installation, and testable even when running as root.
    const QString programDir = dir.path() + "/missing";
    ProgramFolders folders(programDir);
    EXPECT_NE(folders.writableDir(), QDir::cleanPath(programDir));
    EXPECT_TRUE(QFileInfo(folders.writableDir()).isDir());
    EXPECT_EQ(folders.resourcePath("ROM"), QDir::cleanPath(programDir) + "/ROM");
}

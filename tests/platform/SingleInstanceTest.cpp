#include "platform/SingleInstance.h"

#include "tests/platform/TestFolders.h"

#include <QFileInfo>

#include <filesystem>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

namespace {
const QString kName = QStringLiteral("brimlogallery+{F8113DD6-75E5-4077-BFBE-3D1FEC9EA709}");
}

TEST(SingleInstance, OnlyOneHolderUntilItReleases) {
    testsupport::TempUserFolders user;
    platform::SingleInstance first(kName);
    EXPECT_EQ(QFileInfo(first.lockFilePath()).absolutePath().toStdString() + "/", user.runtime());
    ASSERT_TRUE(first.tryAcquire());
    EXPECT_TRUE(first.isOwner());
    {
        platform::SingleInstance second(kName);
        EXPECT_FALSE(second.tryAcquire());
        EXPECT_FALSE(second.isOwner());
    }
    // The failed second instance did not disturb the first one's lock.
    EXPECT_TRUE(QFileInfo::exists(first.lockFilePath()));
    platform::SingleInstance third(kName);
    EXPECT_FALSE(third.tryAcquire());
    first.release();
    EXPECT_TRUE(third.tryAcquire());
}

TEST(SingleInstance, TellsALiveHolderFromALockThatCannotBeMade) {
    testsupport::TempUserFolders user;
    platform::SingleInstance first(kName);
    ASSERT_TRUE(first.tryAcquire());
    EXPECT_FALSE(first.heldByAnother());
    platform::SingleInstance second(kName);
    EXPECT_FALSE(second.tryAcquire());
    EXPECT_TRUE(second.heldByAnother());

    // A folder that does not exist: no instance runs, yet no lock can be taken.
    platform::SingleInstance nowhere(kName, QString::fromStdString(user.root().dir()) +
                                                QStringLiteral("missing/folder"));
    EXPECT_FALSE(nowhere.tryAcquire());
    EXPECT_FALSE(nowhere.heldByAnother());
}

TEST(SingleInstance, LockOfACrashedInstanceIsTakenOver) {
    testsupport::TempUserFolders user;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        platform::SingleInstance crashed(kName);
        // Ends without any clean-up, as a crash would.
        ::_exit(crashed.tryAcquire() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);

    platform::SingleInstance next(kName);
    ASSERT_TRUE(QFileInfo::exists(next.lockFilePath())); // left behind by the crash
    EXPECT_TRUE(next.tryAcquire());
}

TEST(SingleInstance, FallsBackToTheTempFolderAndKeepsNamesInsideIt) {
    testsupport::TempUserFolders user;
    testsupport::ScopedEnv noRuntime("XDG_RUNTIME_DIR", user.root().dir() + "missing");
    testsupport::ScopedEnv tmp("TMPDIR", user.root().dir() + "home");
    platform::SingleInstance lock(QStringLiteral("../a/b\\c"));
    EXPECT_EQ(QFileInfo(lock.lockFilePath()).absolutePath().toStdString() + "/", user.home());
    EXPECT_TRUE(lock.tryAcquire());
}

TEST(SingleInstance, UsersSharingTheTempFolderEachGetTheirOwnLock) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to act as a second user";
    testsupport::TempUserFolders user;
    // A temporary folder as every system has one: any user may pass into it and add files.
    std::filesystem::permissions(user.root().path(), std::filesystem::perms(0711));
    const std::filesystem::path shared = user.root().path() / "shared-tmp";
    std::filesystem::create_directory(shared);
    std::filesystem::permissions(shared, std::filesystem::perms(01777));
    testsupport::ScopedEnv noRuntime("XDG_RUNTIME_DIR", user.root().dir() + "missing");
    testsupport::ScopedEnv tmp("TMPDIR", shared.string());

    platform::SingleInstance mine(kName);
    ASSERT_TRUE(mine.tryAcquire());
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Another user on the same machine starts the program while this one runs.
        if (::setgid(4242) != 0 || ::setuid(4242) != 0)
            ::_exit(2);
        platform::SingleInstance theirs(kName);
        const bool acquired = theirs.tryAcquire();
        ::_exit(acquired && theirs.lockFilePath() != mine.lockFilePath() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    // The same user still meets the running instance.
    platform::SingleInstance again(kName);
    EXPECT_FALSE(again.tryAcquire());
}

TEST(SingleInstance, RuntimeFolderOfAnotherUserIsPassedOver) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to hand a folder to another user";
    // After switching users the runtime variable still names the first user's folder, where
    // this user may not (or should not) create anything.
    testsupport::TempUserFolders user;
    std::filesystem::permissions(user.root().path(), std::filesystem::perms(0711));
    const std::string theirs = user.root().dir() + "their-runtime";
    std::filesystem::create_directory(theirs);
    std::filesystem::permissions(theirs, std::filesystem::perms(0700));
    ASSERT_EQ(::chown(theirs.c_str(), 4242, 4242), 0);
    testsupport::ScopedEnv runtime("XDG_RUNTIME_DIR", theirs);
    const std::string shared = user.root().dir() + "shared-tmp";
    std::filesystem::create_directory(shared);
    std::filesystem::permissions(shared, std::filesystem::perms(01777));
    testsupport::ScopedEnv tmp("TMPDIR", shared);

    EXPECT_EQ(platform::SingleInstance::defaultFolder().toStdString(), shared);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // A user that may not write there at all still gets a lock of its own.
        if (::setgid(4343) != 0 || ::setuid(4343) != 0)
            ::_exit(2);
        platform::SingleInstance lock(kName);
        ::_exit(lock.tryAcquire() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    platform::SingleInstance mine(kName);
    EXPECT_TRUE(mine.tryAcquire());
    EXPECT_TRUE(std::filesystem::is_empty(theirs));
}

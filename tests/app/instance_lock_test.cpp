#include "app/instance_lock.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>

#include "fakes/scoped_environment.h"

namespace tonvel {
namespace {

namespace fs = std::filesystem;

// Points XDG_RUNTIME_DIR and TMPDIR at folders of the test's own for its lifetime.
class InstanceLockTest : public ::testing::Test {
  protected:
    void SetUp() override {
        root = fs::temp_directory_path() /
               ("tonvel-lock-test-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root / "runtime");
        fs::create_directories(root / "tmp");
        fs::permissions(root / "runtime", fs::perms::owner_all);
        runtimeVariable.emplace("XDG_RUNTIME_DIR", runtime().c_str());
        tempVariable.emplace("TMPDIR", temp().c_str());
    }
    void TearDown() override {
        runtimeVariable.reset();
        tempVariable.reset();
        fs::remove_all(root);
    }
    std::string runtime() const { return (root / "runtime").string(); }
    std::string temp() const { return (root / "tmp").string(); }
    std::string fallback() const { return temp() + "/tonvel-" + std::to_string(::geteuid()); }

    fs::path root;
    std::optional<testing::ScopedEnvironment> runtimeVariable, tempVariable;
};

TEST_F(InstanceLockTest, ASecondInstanceIsRefusedUntilTheFirstEnds) {
    auto first = std::make_unique<InstanceLock>();
    ASSERT_TRUE(first->acquire());
    EXPECT_EQ(first->path(), runtime() + "/tonvel.lock");
    InstanceLock second;
    EXPECT_FALSE(second.acquire());
    first.reset();
    EXPECT_TRUE(second.acquire());
}

TEST_F(InstanceLockTest, ALockFileWithoutALiveHolderIsStaleWhateverItHolds) {
    const std::string contents[] = {
        "",                                   // written by a program killed before its PID
        "1\n",                                // a live process, but not a holder
        std::to_string(::getpid()) + "\n",    // this very process
        "999999999\nanother-host\ntonvel\n",  // what another kind of lock leaves
        std::string(5000, '\xff'),
    };
    for (const std::string& content : contents) {
        std::ofstream(runtime() + "/tonvel.lock", std::ios::binary) << content;
        InstanceLock lock;
        EXPECT_TRUE(lock.acquire()) << content.size() << " bytes";
    }
}

TEST_F(InstanceLockTest, TheLockFolderIsTheUsersOwnPrivateOne) {
    struct Case {
        const char* what;
        std::function<void()> prepare;
        const char* runtimeDir;  // nullptr: unset; "" : the test's runtime folder
        bool inRuntime;          // else the per-uid fallback
    };
    const Case cases[] = {
        {"private runtime folder", [] {}, "", true},
        {"no runtime folder", [] {}, nullptr, false},
        {"relative runtime folder", [] {}, "runtime", false},
        {"runtime folder others may enter",
         [&] { fs::permissions(runtime(), fs::perms::group_exec, fs::perm_options::add); }, "",
         false},
        {"runtime folder is a link",
         [&] {
             fs::create_directories(root / "real");
             fs::permissions(root / "real", fs::perms::owner_all);
             fs::remove_all(runtime());
             fs::create_directory_symlink(root / "real", runtime());
         },
         "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(runtime());
        fs::remove_all(fallback());
        fs::create_directories(runtime());
        fs::permissions(runtime(), fs::perms::owner_all);
        c.prepare();
        const std::string given = c.runtimeDir && !*c.runtimeDir ? runtime() : "";
        const auto folder = instanceLockFolder(
            c.runtimeDir ? (*c.runtimeDir ? c.runtimeDir : given.c_str()) : nullptr,
            temp().c_str());
        ASSERT_TRUE(folder);
        EXPECT_EQ(*folder, c.inRuntime ? runtime() : fallback());
        if (!c.inRuntime) {
            EXPECT_EQ(fs::status(fallback()).permissions() & fs::perms::all, fs::perms::owner_all);
        }
    }
}

TEST_F(InstanceLockTest, AFallbackFolderTakenByAnotherAccountLeavesTheProgramUnlocked) {
    if (::geteuid() != 0) GTEST_SKIP() << "giving a folder to another account takes root";
    ::unsetenv("XDG_RUNTIME_DIR");
    fs::create_directory(fallback());
    fs::permissions(fallback(), fs::perms::owner_all);
    ASSERT_EQ(::chown(fallback().c_str(), 65534, 65534), 0);
    EXPECT_FALSE(instanceLockFolder(nullptr, temp().c_str()));
    InstanceLock lock;
    EXPECT_TRUE(lock.acquire()) << "never locked out";
    EXPECT_TRUE(lock.path().empty());
}

TEST_F(InstanceLockTest, AProgramStartedMeanwhileDoesNotKeepTheLock) {
    auto lock = std::make_unique<InstanceLock>();
    ASSERT_TRUE(lock->acquire());
    // Like a browser opened from the help menu, still running when the program ends.
    int started[2];
    ASSERT_EQ(::pipe2(started, O_CLOEXEC), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::execlp("sleep", "sleep", "3", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ASSERT_GT(child, 0);
    // The pipe's end closes in the child when `sleep` has replaced it.
    ::close(started[1]);
    char none;
    EXPECT_EQ(::read(started[0], &none, 1), 0);
    ::close(started[0]);
    lock.reset();
    InstanceLock next;
    EXPECT_TRUE(next.acquire());
    ::kill(child, SIGTERM);
    ::waitpid(child, nullptr, 0);
}

}  // namespace
}  // namespace tonvel

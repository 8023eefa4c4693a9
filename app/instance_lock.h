#pragma once

#include <optional>
#include <string>

namespace tonvel {

// One running program per user: a lock on a file in a folder only the user can write, held
// for the life of the process. The system drops the lock with its holder however that ended,
// so a lock file left behind never counts, whatever it holds.
class InstanceLock {
  public:
    InstanceLock() = default;
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;
    ~InstanceLock();

    // False only while another process holds the lock. Without a private folder for the lock
    // file the program runs unlocked rather than not at all.
    bool acquire();
    // The lock file, or empty when the program runs unlocked.
    const std::string& path() const { return path_; }

  private:
    int fd_ = -1;
    std::string path_;
};

// The private folder for the lock file: `runtimeDir` ($XDG_RUNTIME_DIR) when it is a folder of
// this user's that nobody else may enter, else a folder "tonvel-<uid>" made so in `tempDir`
// ($TMPDIR, or /tmp when that is unset or relative). Empty when neither is private.
std::optional<std::string> instanceLockFolder(const char* runtimeDir, const char* tempDir);

}  // namespace tonvel

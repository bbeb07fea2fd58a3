#pragma once

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <string>
#include <vector>

#include "platform/atomic_file.h"

namespace vela::testing_support {

// The disk, with one step of a file write made to fail as a full disk, a disk that fails at
// the close or the sync, or a folder that refuses the rename would. Records the temporaries
// it was asked to create, and the steps taken in order.
class FailingOps : public FileWriteOps {
  public:
    enum class Step { None, Create, Write, Sync, Close, Rename, SyncFolder, NameTaken };

    explicit FailingOps(Step step) : step_(step) {}

    // Write: how many bytes the disk still takes in all before it is full.
    std::size_t room = 0;
    // Rename: only targets whose path ends so are refused (empty: all).
    std::string renameRefusedFor;
    // NameTaken: how many creations find the name taken.
    std::size_t takenNames = 3;

    std::FILE* CreateNew(const std::string& path, std::error_code& ec) override {
        std::unique_lock lock(mutex_);
        created_.push_back(path);
        steps_.push_back("create " + path);
        const bool taken = step_ == Step::NameTaken && created_.size() <= takenNames;
        if (step_ == Step::Create || taken) {
            Refuse(taken ? EEXIST : ENOSPC, ec);
            return nullptr;
        }
        lock.unlock();
        return FileWriteOps::CreateNew(path, ec);
    }
    bool Write(std::FILE* file, const char* data, std::size_t size, std::error_code& ec) override {
        if (step_ != Step::Write) return FileWriteOps::Write(file, data, size, ec);
        std::lock_guard lock(mutex_);
        // What fits goes to the disk, as on a disk that fills up.
        const std::size_t fits = std::min(size, room);
        room -= fits;
        if (!FileWriteOps::Write(file, data, fits, ec)) return false;
        return fits == size || Refuse(ENOSPC, ec);
    }
    bool Sync(std::FILE* file, std::error_code& ec) override {
        Log("sync");
        return step_ == Step::Sync ? Refuse(EIO, ec) : FileWriteOps::Sync(file, ec);
    }
    bool Close(std::FILE* file, std::error_code& ec) override {
        Log("close");
        const bool closed = FileWriteOps::Close(file, ec);
        return step_ == Step::Close ? Refuse(EIO, ec) : closed;
    }
    bool Rename(const std::string& from, const std::string& to, std::error_code& ec) override {
        const bool refused = step_ == Step::Rename && to.size() >= renameRefusedFor.size() &&
                             to.compare(to.size() - renameRefusedFor.size(),
                                        renameRefusedFor.size(), renameRefusedFor) == 0;
        Log("rename " + from + " " + to);
        return refused ? Refuse(EACCES, ec) : FileWriteOps::Rename(from, to, ec);
    }
    bool SyncFolder(const std::string& folder, std::error_code& ec) override {
        Log("sync folder " + folder);
        return step_ == Step::SyncFolder ? Refuse(EIO, ec) : FileWriteOps::SyncFolder(folder, ec);
    }
    bool Link(const std::string& existing, const std::string& link, std::error_code& ec) override {
        Log("link " + existing + " " + link);
        return FileWriteOps::Link(existing, link, ec);
    }

    std::vector<std::string> Created() const {
        std::lock_guard lock(mutex_);
        return created_;
    }
    // "create PATH", "sync", "close", "rename FROM TO", "sync folder FOLDER", "link FROM TO".
    std::vector<std::string> Steps() const {
        std::lock_guard lock(mutex_);
        return steps_;
    }

  private:
    void Log(std::string step) {
        std::lock_guard lock(mutex_);
        steps_.push_back(std::move(step));
    }
    static bool Refuse(int code, std::error_code& ec) {
        ec = std::error_code(code, std::generic_category());
        return false;
    }

    Step step_;
    mutable std::mutex mutex_;
    std::vector<std::string> created_;
    std::vector<std::string> steps_;
};

}  // namespace vela::testing_support

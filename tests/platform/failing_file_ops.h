#pragma once

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <string>
#include <vector>

#include "platform/atomic_file.h"

namespace vela::testing_support {

// The disk, with one step of a file write made to fail as a full disk, a disk that fails at
// the close or a folder that refuses the rename would. Records the temporaries it was asked
// to create.
class FailingOps : public FileWriteOps {
  public:
    enum class Step { None, Create, Write, Close, Rename, NameTaken };

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
    bool Close(std::FILE* file, std::error_code& ec) override {
        const bool closed = FileWriteOps::Close(file, ec);
        return step_ == Step::Close ? Refuse(EIO, ec) : closed;
    }
    bool Rename(const std::string& from, const std::string& to, std::error_code& ec) override {
        const bool refused = step_ == Step::Rename && to.size() >= renameRefusedFor.size() &&
                             to.compare(to.size() - renameRefusedFor.size(),
                                        renameRefusedFor.size(), renameRefusedFor) == 0;
        return refused ? Refuse(EACCES, ec) : FileWriteOps::Rename(from, to, ec);
    }

    std::vector<std::string> Created() const {
        std::lock_guard lock(mutex_);
        return created_;
    }

  private:
    static bool Refuse(int code, std::error_code& ec) {
        ec = std::error_code(code, std::generic_category());
        return false;
    }

    Step step_;
    mutable std::mutex mutex_;
    std::vector<std::string> created_;
};

}  // namespace vela::testing_support

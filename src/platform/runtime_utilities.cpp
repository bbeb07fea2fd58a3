#include "platform/runtime_utilities.h"

#include <filesystem>
#include <system_error>

#include "platform/clock.h"
#include "platform/form_list.h"
#include "platform/message_loop.h"

namespace vela {

namespace {
TraceSink* gTraceMemo = nullptr;
constexpr std::size_t kMaxMarker = 255;
}  // namespace

TraceSink::~TraceSink() {
    if (gTraceMemo == this) gTraceMemo = nullptr;
}

void SetTraceMemo(TraceSink* memo) {
    gTraceMemo = memo;
}

TraceSink* TraceMemo() {
    return gTraceMemo;
}

void TraceMark(std::string_view marker) {
    CurrentMessageLoop().ProcessPendingMessages();
    // Read after pumping: a handler may have closed the main window meanwhile.
    if (TraceSink* memo = gTraceMemo) memo->AppendLine(std::string(marker.substr(0, kMaxMarker)));
}

std::string FolderOfProgramPath(std::string_view programPath) {
    const auto slash = programPath.rfind('/');
    std::string folder = slash == std::string_view::npos
                             ? std::string()
                             : std::string(programPath.substr(0, slash + 1));
    if (folder.empty()) return "./";
    if (folder.back() != '/') folder += '/';
    return folder;
}

std::string AppFolder() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec && exe.is_absolute()) return FolderOfProgramPath(exe.string());
    // Without /proc the working folder is the best guess the process has.
    const std::filesystem::path cwd = std::filesystem::current_path(ec);
    return ec ? std::string("./") : FolderOfProgramPath(cwd.string() + "/");
}

void WaitPumping(std::int32_t ms) {
    const std::int64_t start = CurrentClock().SteadyMs();
    for (;;) {
        MessageLoop& loop = CurrentMessageLoop();
        loop.ProcessPendingMessages();
        loop.HandleOneMessage();
        if (static_cast<std::int64_t>(ms) < CurrentClock().SteadyMs() - start) return;
    }
}

void BroadcastToForms(std::int32_t msg, std::uint16_t wparam, std::int32_t lparam) {
    if (msg < 0) return;
    // A snapshot: forms created by a receiver do not get this message, and the walk ends
    // after one pass whatever the receivers do to the list.
    for (const FormEntry& entry : RegisteredForms()) {
        if (!IsStillRegistered(entry)) continue;
        entry.Form->HandleMessage(static_cast<std::uint32_t>(msg), wparam, lparam);
    }
}

}  // namespace vela

#pragma once

#include <cstdint>
#include <vector>

namespace vela {

// A window of the system as the broadcast sees it. A form registers itself once it is fully
// built and unregisters at the start of its destructor (the base destructor unregisters as a
// last resort, when the derived part is already gone).
class MessageReceiver {
  public:
    MessageReceiver() = default;
    MessageReceiver(const MessageReceiver&) = delete;
    MessageReceiver& operator=(const MessageReceiver&) = delete;
    virtual ~MessageReceiver();

    // Synchronous delivery of a window message; no result is used.
    virtual void HandleMessage(std::uint32_t msg, std::int64_t wparam, std::int64_t lparam) = 0;
};

// The process-wide list of forms, in creation order: what the application object owns.
void RegisterForm(MessageReceiver* form);
void UnregisterForm(MessageReceiver* form);
bool IsFormRegistered(const MessageReceiver* form);

// One registration: the serial tells a form apart from a later one built at the same address.
struct FormEntry {
    MessageReceiver* Form = nullptr;
    std::uint64_t Serial = 0;
};
std::vector<FormEntry> RegisteredForms();
bool IsStillRegistered(const FormEntry& entry);

}  // namespace vela

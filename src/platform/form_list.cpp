#include "platform/form_list.h"

#include <algorithm>

namespace vela {

namespace {
std::vector<FormEntry>& Forms() {
    static std::vector<FormEntry> forms;
    return forms;
}
std::uint64_t gNextSerial = 1;
}  // namespace

MessageReceiver::~MessageReceiver() {
    UnregisterForm(this);
}

void RegisterForm(MessageReceiver* form) {
    if (form == nullptr || IsFormRegistered(form)) return;
    Forms().push_back(FormEntry{form, gNextSerial++});
}

void UnregisterForm(MessageReceiver* form) {
    auto& forms = Forms();
    forms.erase(std::remove_if(forms.begin(), forms.end(),
                               [form](const FormEntry& e) { return e.Form == form; }),
                forms.end());
}

bool IsFormRegistered(const MessageReceiver* form) {
    const auto& forms = Forms();
    return std::any_of(forms.begin(), forms.end(),
                       [form](const FormEntry& e) { return e.Form == form; });
}

std::vector<FormEntry> RegisteredForms() {
    return Forms();
}

bool IsStillRegistered(const FormEntry& entry) {
    const auto& forms = Forms();
    return std::any_of(forms.begin(), forms.end(), [&entry](const FormEntry& e) {
        return e.Form == entry.Form && e.Serial == entry.Serial;
    });
}

}  // namespace vela

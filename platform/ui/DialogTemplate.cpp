#include "platform/ui/DialogTemplate.h"

namespace zv::ui {

DialogRegistry& DialogRegistry::Global() {
    static DialogRegistry registry;
    return registry;
}

void DialogRegistry::Add(DialogTemplate t) {
    std::lock_guard<std::mutex> lock(mutex_);
    const int n = t.number;
    templates_[n] = std::move(t);
}

bool DialogRegistry::Find(int number, DialogTemplate* out) const {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = templates_.find(number);
    if (it == templates_.end()) return false;
    if (out) *out = it->second;
    return true;
}

std::vector<int> DialogRegistry::Numbers() const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<int> out;
    for (const auto& [n, t] : templates_) out.push_back(n);
    return out;
}

}  // namespace zv::ui

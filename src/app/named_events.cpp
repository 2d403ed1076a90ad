#include "app/named_events.h"

#include <fcntl.h>

#include <cstdio>

namespace vorlin {

std::string NamedEventName(int n, std::string_view prefix) {
    char number[16];
    std::snprintf(number, sizeof number, "Main_%02d", n);
    return std::string(prefix) + number;
}

NamedEvents::~NamedEvents() {
    Remove();
}

int NamedEvents::Create(std::string_view prefix) {
    Remove();
    for (int n = 1; n <= kNamedEventCount; ++n) {
        const std::string name = "/" + NamedEventName(n, prefix);
        sem_t* sem = ::sem_open(name.c_str(), O_CREAT, 0600, 0);
        if (sem != SEM_FAILED) open_.emplace_back(name, sem);
    }
    return static_cast<int>(open_.size());
}

void NamedEvents::Remove() {
    for (auto& [name, sem] : open_) {
        ::sem_close(sem);
        ::sem_unlink(name.c_str());
    }
    open_.clear();
}

}  // namespace vorlin

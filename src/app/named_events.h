// The 208 named events companion programs may open while the application runs: POSIX named
// semaphores "/Vorlin_Event_Main_01" .. "/Vorlin_Event_Main_208", mode 0600, initially 0. The
// application never waits on them nor posts them. Ones a crashed run left are taken over.
#pragma once

#include <semaphore.h>

#include <string>
#include <string_view>
#include <vector>

namespace vorlin {

constexpr int kNamedEventCount = 208;

inline constexpr char kNamedEventPrefix[] = "Vorlin_Event_";

// "Vorlin_Event_Main_07" for n = 7 ("%sMain_%02d" with the prefix).
std::string NamedEventName(int n, std::string_view prefix = kNamedEventPrefix);

class NamedEvents {
  public:
    NamedEvents() = default;
    NamedEvents(const NamedEvents&) = delete;
    NamedEvents& operator=(const NamedEvents&) = delete;
    ~NamedEvents();

    // Creates (or opens) all of them; returns how many exist afterwards. One that cannot be made
    // (another user's of the same name, say) is skipped: companions are optional.
    // Tests give a prefix of their own, so that runs side by side do not share names.
    int Create(std::string_view prefix = kNamedEventPrefix);
    // Closes and removes them; safe to call twice.
    void Remove();

  private:
    std::vector<std::pair<std::string, sem_t*>> open_;
};

}  // namespace vorlin

#pragma once

#include <sys/types.h>
#include <unistd.h>

// While alive, a process running as root acts as the unprivileged user
// "nobody" (real and effective ids), so file permissions apply to it as they
// do to the program's users; the saved id stays root, so the destructor can
// take root back. For any other user it changes nothing.
class UnprivilegedUser {
  public:
    static constexpr uid_t kNobody = 65534;

    UnprivilegedUser() {
        if (geteuid() == 0)
            mDropped = setresgid(kNobody, kNobody, 0) == 0 && setresuid(kNobody, kNobody, 0) == 0;
    }
    ~UnprivilegedUser() {
        if (mDropped) {
            [[maybe_unused]] const int user = setresuid(0, 0, 0);
            [[maybe_unused]] const int group = setresgid(0, 0, 0);
        }
    }
    UnprivilegedUser(const UnprivilegedUser&) = delete;
    UnprivilegedUser& operator=(const UnprivilegedUser&) = delete;

    // True when file permissions now apply to this process.
    bool permissionsApply() const { return geteuid() != 0; }

  private:
    bool mDropped = false;
};

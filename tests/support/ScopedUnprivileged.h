#pragma once

#include <sys/fsuid.h>
#include <unistd.h>

// Root passes every permission check, so a test of a refused file access would prove nothing
// when run as root. For its lifetime this drops the thread's file-system identity to "nobody",
// which also drops root's override of file permissions; other users are left as they are.
class ScopedUnprivileged {
public:
    static constexpr unsigned Nobody = 65534;

    ScopedUnprivileged() {
        if (geteuid() == 0) {
            setfsgid(Nobody);
            setfsuid(Nobody);
            m_dropped = true;
        }
    }
    ~ScopedUnprivileged() {
        if (m_dropped) {
            setfsuid(0);
            setfsgid(0);
        }
    }
    ScopedUnprivileged(const ScopedUnprivileged&) = delete;
    ScopedUnprivileged& operator=(const ScopedUnprivileged&) = delete;

    // False when the drop was asked for as root and did not happen (no CAP_SETUID).
    bool effective() const {
        return !m_dropped || static_cast<unsigned>(setfsuid(static_cast<uid_t>(-1))) == Nobody;
    }

private:
    bool m_dropped = false;
};

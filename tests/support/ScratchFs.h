// A small file system of a test's own (tmpfs) over a fresh directory, for the life of the
// object: full disks and read-only mounts without touching the machine's. Mounting needs rights
// that a test may not have; Mounted() then says so and the test skips with that reason.
#pragma once

#include "TestFiles.h"

#include <sys/mount.h>

class ScratchFs {
public:
    // `options` as for mount(8)'s tmpfs, e.g. "size=4k,mode=0755".
    explicit ScratchFs(const char* options) : options_(options) {
        mounted_ = mount("tmpfs", dir.Path.c_str(), "tmpfs", 0, options) == 0;
    }
    ~ScratchFs() {
        if (mounted_)
            umount2(dir.Path.c_str(), MNT_DETACH);
    }
    ScratchFs(const ScratchFs&) = delete;
    ScratchFs& operator=(const ScratchFs&) = delete;

    bool Mounted() const { return mounted_; }
    bool MakeReadOnly() {
        return mount("tmpfs", dir.Path.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, options_) == 0;
    }

    TempDir dir; // goes after the unmount

private:
    const char* options_;
    bool mounted_ = false;
};

#define ORQ_SKIP_UNLESS_MOUNTED(scratch)                                                           \
    if (!(scratch).Mounted())                                                                      \
    GTEST_SKIP() << "cannot mount a tmpfs here (needs CAP_SYS_ADMIN)"

#pragma once

#include <string>
#include <sys/mount.h>

// A tmpfs of a few kilobytes mounted on a folder for as long as it lives, so
// a test can fill a real file system. Only where the process may mount (root
// with the capability); elsewhere mounted() is false and nothing changes.
class SmallFileSystem {
  public:
    SmallFileSystem(const std::string& folder, int kilobytes) : mFolder(folder) {
        const std::string options = "size=" + std::to_string(kilobytes) + "k,mode=0777";
        mMounted = mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~SmallFileSystem() {
        if (mMounted)
            umount2(mFolder.c_str(), MNT_DETACH);
    }
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    bool mounted() const { return mMounted; }

  private:
    std::string mFolder;
    bool mMounted = false;
};

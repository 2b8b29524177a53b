// Loads the stand-in libraries (shared objects) by their Windows file names from search folders.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/LibraryLoader.h"

namespace tw::sim {

/// "tarnengine.dll" is looked up as libtarnengine.so, then tarnengine.so, in each search folder.
class SimLibraryLoader : public platform::LibraryLoader {
public:
    explicit SimLibraryLoader(std::vector<std::string> searchFolders = {});
    ~SimLibraryLoader() override;
    SimLibraryLoader(const SimLibraryLoader&) = delete;
    SimLibraryLoader& operator=(const SimLibraryLoader&) = delete;

    void* load(const std::string& fileName) override;
    void* resolve(void* library, const std::string& functionName) override;

    void addSearchFolder(std::string folder) { folders_.push_back(std::move(folder)); }
    int loadCount() const { return loads_; }

private:
    std::vector<std::string> folders_;
    std::map<std::string, void*> loaded_;
    int loads_ = 0;
};

}  // namespace tw::sim

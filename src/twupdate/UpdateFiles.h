// The files twupdate writes: the downloaded package, saved whole before the installer sees it.
#pragma once

#include <memory>
#include <string>

namespace tw::twupdate {

class UpdateFiles {
public:
    virtual ~UpdateFiles() = default;
    /// Creates the folder when missing and writes the file whole; false on any failure.
    virtual bool write(const std::string& folder, const std::string& name, const std::string& bytes) = 0;
    virtual bool rename(const std::string& folder, const std::string& from, const std::string& to) = 0;
    /// Removes the file when it is there.
    virtual void remove(const std::string& folder, const std::string& name) = 0;
    /// The full path of a file in the folder.
    virtual std::string path(const std::string& folder, const std::string& name) const = 0;
};

/// The real files through the standard library; paths are UTF-8.
std::unique_ptr<UpdateFiles> realUpdateFiles();

}  // namespace tw::twupdate

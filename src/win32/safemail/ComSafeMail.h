// Safe mail access port over the outside library's COM objects, created by ProgID and called late-bound.
#pragma once

#include <map>
#include <string>

#include "platform/SafeMail.h"
#include "win32/com/ComPtr.h"

struct IClassFactory;
struct IDispatch;

namespace tw::win32 {

/// Each class's factory is looked up once (a ProgID and class lookup costs far more than making an
/// object: the add-in makes a few safe items for every new message) and kept until the utilities'
/// Cleanup, the add-in's teardown; after that the next object looks its class up again.
class ComSafeMail final : public safemail::SafeMail {
public:
    ComSafeMail() = default;
    ComSafeMail(const ComSafeMail&) = delete;
    ComSafeMail& operator=(const ComSafeMail&) = delete;
    /// Kept factories are not released here: at process exit COM may already have unloaded the
    /// library they belong to.
    ~ComSafeMail();

    std::shared_ptr<safemail::SafeMailItem> CreateSafeMailItem(const std::string& progId) override;
    std::shared_ptr<safemail::MAPIUtils> CreateMAPIUtils(const std::string& progId) override;
    std::shared_ptr<safemail::MAPITable> CreateMAPITable(const std::string& progId) override;
    std::shared_ptr<safemail::AddressLists> CreateAddressLists(const std::string& progId) override;

    /// Lets go of the kept factories.
    void releaseFactories() { factories_.clear(); }

private:
    ComPtr<IDispatch> create(const std::string& progId);

    std::map<std::string, ComPtr<IClassFactory>> factories_;
};

}  // namespace tw::win32

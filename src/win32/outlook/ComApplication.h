// Object-model adapter of the client's Application object, where every other adapter starts.
#pragma once

#include "platform/Outlook.h"
#include "win32/outlook/ComObject.h"

namespace tw::win32::outlook {

namespace ol = tw::outlook;

class ComCOMAddIn final : public ol::COMAddIn, public ComObject {
public:
    using ComObject::ComObject;
    std::string Description() override { return d_.get("Description").toString(); }
    std::string ProgId() override { return d_.get("ProgId").toString(); }
};

class ComCOMAddIns final : public ol::COMAddIns, public ComObject {
public:
    using ComObject::ComObject;
    int Count() override { return d_.get("Count").toInt(); }
    std::shared_ptr<ol::COMAddIn> Item(int index) override { return wrapped<ComCOMAddIn>(d_.get("Item", index)); }
};

class ComApplication final : public ol::Application, public ComObject {
public:
    using ComObject::ComObject;
    std::string Version() override { return d_.get("Version").toString(); }
    std::shared_ptr<ol::NameSpace> GetNamespace(const std::string& type) override;
    std::shared_ptr<ol::Explorers> Explorers() override;
    std::shared_ptr<ol::Inspectors> Inspectors() override;
    std::shared_ptr<ol::Explorer> ActiveExplorer() override;
    std::shared_ptr<ol::COMAddIns> COMAddIns() override { return wrapped<ComCOMAddIns>(d_.get("COMAddIns")); }
    std::shared_ptr<ol::Item> CreateItem(int itemType) override;
};

}  // namespace tw::win32::outlook

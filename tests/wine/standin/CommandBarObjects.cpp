// The stand-in's command bars as IDispatch objects: CommandBars, CommandBar, CommandBarControls, buttons and popups.
#include <olectl.h>

#include <algorithm>

#include "CommandBarData.h"
#include "ConnectionPoints.h"
#include "Model.h"

namespace tw::standin {

namespace {

using ModelPtr = std::weak_ptr<Model>;

bool argIsText(const Call& c, size_t index) {
    const VARIANT* v = &c.arg(index);
    if (V_VT(v) == (VT_BYREF | VT_VARIANT)) v = V_VARIANTREF(v);
    return V_VT(v) == VT_BSTR || V_VT(v) == (VT_BSTR | VT_BYREF);
}

[[noreturn]] void gone(const wchar_t* what) {
    raise(E_FAIL, std::wstring(L"The ") + what + L" has been deleted.");
}

/// A member a control of the other kind lacks.
[[noreturn]] void lacks() {
    throw InvokeFault{DISP_E_MEMBERNOTFOUND, 0};
}

class ControlsObject : public DispObject {
public:
    ControlsObject(ModelPtr model, std::shared_ptr<ControlList> list) : m_(std::move(model)), list_(std::move(list)) {
        method(L"Count", [this](Call& c) { c.ret(static_cast<long>(list_->items.size())); });
        method(L"Item", [this](Call& c) {
            if (argIsText(c, 0)) {
                std::wstring caption = c.toText(0);
                for (const auto& control : list_->items)
                    if (sameCaption(control->caption, caption)) return c.ret(object(control).get());
                raise(E_INVALIDARG, L"There is no control \"" + caption + L"\".");
            }
            long index = c.toInt(0);
            if (index < 1 || static_cast<size_t>(index) > list_->items.size()) raise(E_INVALIDARG, L"Invalid index.");
            c.ret(object(list_->items[static_cast<size_t>(index - 1)]).get());
        });
        // Add(Type, Id, Parameter, Before, Temporary), every argument optional.
        method(L"Add", [this](Call& c) {
            auto control = addControl(list_, static_cast<int>(c.intOr(0, kControlButton)), static_cast<int>(c.intOr(1, 1)),
                                      static_cast<int>(c.intOr(3, 0)), c.has(4) && c.toBool(4));
            if (c.has(2)) control->parameter = c.toText(2);
            c.ret(object(control).get());
        });
    }

private:
    Ref<DispObject> object(const std::shared_ptr<ControlData>& control) const { return controlObject(m_.lock(), control); }

    ModelPtr m_;
    std::shared_ptr<ControlList> list_;
};

class ControlObject : public DispObject {
public:
    ControlObject(ModelPtr model, const std::shared_ptr<ControlData>& control) : m_(std::move(model)), control_(control) {
        if (control->isButton()) addPoint(kButtonEvents);
        method(L"Type", [this](Call& c) { c.ret(data().type); });
        method(L"Id", [this](Call& c) { c.ret(data().id); });
        method(L"BuiltIn", [this](Call& c) { c.ret(data().builtIn); });
        text(L"Caption", &ControlData::caption);
        text(L"Tag", &ControlData::tag);
        text(L"TooltipText", &ControlData::tooltip);
        text(L"Parameter", &ControlData::parameter);
        flag(L"BeginGroup", &ControlData::beginGroup);
        flag(L"Visible", &ControlData::visible);
        flag(L"Enabled", &ControlData::enabled);
        property(L"Style", [this](Call& c) { c.ret(button().style); }, [this](Call& c) { button().style = static_cast<int>(c.valueInt()); });
        property(L"FaceId", [this](Call& c) { c.ret(button().faceId); }, [this](Call& c) { button().faceId = static_cast<int>(c.valueInt()); });
        // The picture on the clipboard becomes the face; a clipboard without one fails the paste.
        method(L"PasteFace", [this](Call&) {
            ControlData& b = button();
            std::string pixels;
            if (OpenClipboard(nullptr)) {
                pixels = bitmapPixels(static_cast<HBITMAP>(GetClipboardData(CF_BITMAP)));
                CloseClipboard();
            }
            if (pixels.empty()) raise(E_FAIL, L"The clipboard holds no picture to paste.");
            b.facePixels = pixels;
            b.faceSet = true;
        });
        // Picture and Mask take an IPictureDisp from version 10 on; to an older client the names are unknown.
        if (auto owner = m_.lock(); owner && owner->majorVersion() >= 10) {
            property(L"Picture", [](Call&) { raise(E_NOTIMPL, L"The stand-in does not hand out faces."); },
                     [this](Call& c) {
                         ControlData& b = button();
                         b.facePixels = picturePixels(c.value());
                         b.faceSet = true;
                     });
            property(L"Mask", [](Call&) { raise(E_NOTIMPL, L"The stand-in does not hand out masks."); },
                     [this](Call& c) { button().maskPixels = picturePixels(c.value()); });
        }
        method(L"Execute", [this](Call&) {
            if (auto client = m_.lock()) pressButton(*client, shared(true));
        });
        method(L"Controls", [this](Call& c) {
            auto popup = shared(false);
            if (!popup->children) lacks();
            c.ret(make<ControlsObject>(m_, popup->children).get());
        });
        method(L"Index", [this](Call& c) {
            int index = indexOf(data());
            if (index == 0) gone(L"control");
            c.ret(index);
        });
        // Delete(Temporary): the stand-in forgets the control either way.
        method(L"Delete", [this](Call&) { removeControl(shared(false)); });
    }

private:
    /// The pixels of the bitmap picture a put assigns; raises for anything else.
    static std::string picturePixels(const VARIANT& value) {
        const VARIANT* v = &value;
        if (V_VT(v) == (VT_BYREF | VT_VARIANT)) v = V_VARIANTREF(v);
        IUnknown* object = V_VT(v) == VT_DISPATCH ? V_DISPATCH(v) : V_VT(v) == VT_UNKNOWN ? V_UNKNOWN(v) : nullptr;
        Ref<IPicture> picture;
        if (!object || FAILED(object->QueryInterface(IID_IPicture, reinterpret_cast<void**>(picture.put()))))
            raise(E_INVALIDARG, L"The value is no picture.");
        OLE_HANDLE handle = 0;
        short type = PICTYPE_NONE;
        if (FAILED(picture->get_Type(&type)) || type != PICTYPE_BITMAP || FAILED(picture->get_Handle(&handle)))
            raise(E_INVALIDARG, L"The value is no bitmap picture.");
        std::string pixels = bitmapPixels(reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle)));
        if (pixels.empty()) raise(E_INVALIDARG, L"The value is no bitmap picture.");
        return pixels;
    }
    std::shared_ptr<ControlData> shared(bool buttonOnly) const {
        auto control = control_.lock();
        if (!control || control->deleted) gone(L"control");
        if (buttonOnly && !control->isButton()) lacks();
        return control;
    }
    ControlData& data() const { return *shared(false); }
    ControlData& button() const { return *shared(true); }
    void text(const std::wstring& name, std::wstring ControlData::*field) {
        property(name, [this, field](Call& c) { c.ret(data().*field); }, [this, field](Call& c) { data().*field = c.valueText(); });
    }
    void flag(const std::wstring& name, bool ControlData::*field) {
        property(name, [this, field](Call& c) { c.ret(data().*field); }, [this, field](Call& c) { data().*field = c.valueBool(); });
    }

    ModelPtr m_;
    std::weak_ptr<ControlData> control_;
};

class BarObject : public DispObject {
public:
    BarObject(ModelPtr model, std::shared_ptr<BarSet> set, std::shared_ptr<BarData> bar)
        : m_(std::move(model)), set_(std::move(set)), bar_(std::move(bar)) {
        property(L"Name", [this](Call& c) { c.ret(data().name); },
                 [this](Call& c) {
                     std::wstring name = c.valueText();
                     if (data().builtIn) raise(E_INVALIDARG, L"The client's own bars keep their names.");
                     auto other = set_->find(name);
                     if (name.empty() || (other && other != bar_)) raise(E_INVALIDARG, L"A command bar named \"" + name + L"\" exists.");
                     bar_->name = name;
                 });
        method(L"NameLocal", [this](Call& c) { c.ret(data().name); });
        method(L"BuiltIn", [this](Call& c) { c.ret(data().builtIn); });
        method(L"Type", [this](Call& c) { c.ret(data().menuBar ? 1 : 0); });  // msoBarTypeMenuBar : msoBarTypeNormal
        method(L"Index", [this](Call& c) {
            data();
            auto at = std::find(set_->bars.begin(), set_->bars.end(), bar_);
            c.ret(static_cast<long>(at - set_->bars.begin() + 1));
        });
        method(L"Controls", [this](Call& c) { c.ret(make<ControlsObject>(m_, data().controls).get()); });
        // FindControl(Type, Id, Tag, Visible, Recursive), every argument optional.
        method(L"FindControl", [this](Call& c) {
            auto found = findControl(*data().controls, static_cast<int>(c.intOr(0, 0)), static_cast<int>(c.intOr(1, 0)),
                                     c.has(2) ? c.toText(2) : std::wstring(), c.has(3) && c.toBool(3), c.has(4) && c.toBool(4));
            c.ret(found ? static_cast<IDispatch*>(controlObject(m_.lock(), found).get()) : nullptr);
        });
        property(L"Position", [this](Call& c) { c.ret(data().position); },
                 [this](Call& c) {
                     long position = c.valueInt();
                     if (position < 0 || position > kBarFloating) raise(E_INVALIDARG, L"Invalid bar position.");
                     data().position = static_cast<int>(position);
                 });
        number(L"Left", &BarData::left);
        number(L"Top", &BarData::top);
        number(L"RowIndex", &BarData::rowIndex);
        property(L"Visible", [this](Call& c) { c.ret(data().visible); }, [this](Call& c) { data().visible = c.valueBool(); });
        property(L"Enabled", [this](Call& c) { c.ret(data().enabled); }, [this](Call& c) { data().enabled = c.valueBool(); });
        method(L"Delete", [this](Call&) {
            if (data().builtIn) raise(E_INVALIDARG, L"The client's own bars cannot be deleted.");
            bar_->deleted = true;
            std::erase(set_->bars, bar_);
        });
    }

private:
    BarData& data() const {
        if (bar_->deleted) gone(L"command bar");
        return *bar_;
    }
    void number(const std::wstring& name, int BarData::*field) {
        property(name, [this, field](Call& c) { c.ret(data().*field); },
                 [this, field](Call& c) { data().*field = static_cast<int>(c.valueInt()); });
    }

    ModelPtr m_;
    std::shared_ptr<BarSet> set_;
    std::shared_ptr<BarData> bar_;
};

class BarsObject : public DispObject {
public:
    BarsObject(ModelPtr model, std::shared_ptr<BarSet> set) : m_(std::move(model)), set_(std::move(set)) {
        method(L"Count", [this](Call& c) { c.ret(static_cast<long>(set_->bars.size())); });
        method(L"Item", [this](Call& c) {
            if (argIsText(c, 0)) {
                std::wstring name = c.toText(0);
                auto bar = set_->find(name);
                if (!bar) raise(E_INVALIDARG, L"There is no command bar named \"" + name + L"\".");
                return c.ret(object(bar).get());
            }
            long index = c.toInt(0);
            if (index < 1 || static_cast<size_t>(index) > set_->bars.size()) raise(E_INVALIDARG, L"Invalid index.");
            c.ret(object(set_->bars[static_cast<size_t>(index - 1)]).get());
        });
        // Add(Name, Position, MenuBar, Temporary), every argument optional but the name.
        method(L"Add", [this](Call& c) {
            auto bar = addBar(*set_, c.toText(0), static_cast<int>(c.intOr(1, kBarTop)), c.has(2) && c.toBool(2),
                              c.has(3) && c.toBool(3));
            c.ret(object(bar).get());
        });
        method(L"ActiveMenuBar", [this](Call& c) {
            for (const auto& bar : set_->bars)
                if (bar->menuBar && bar->visible) return c.ret(object(bar).get());
            c.ret(static_cast<IDispatch*>(nullptr));
        });
        // FindControl(Type, Id, Tag, Visible) over every bar, popups included.
        method(L"FindControl", [this](Call& c) {
            int type = static_cast<int>(c.intOr(0, 0)), id = static_cast<int>(c.intOr(1, 0));
            std::wstring tag = c.has(2) ? c.toText(2) : std::wstring();
            bool visibleOnly = c.has(3) && c.toBool(3);
            for (const auto& bar : set_->bars)
                if (auto found = findControl(*bar->controls, type, id, tag, visibleOnly, true))
                    return c.ret(controlObject(m_.lock(), found).get());
            c.ret(static_cast<IDispatch*>(nullptr));
        });
    }

private:
    Ref<DispObject> object(const std::shared_ptr<BarData>& bar) const { return make<BarObject>(m_, set_, bar); }

    ModelPtr m_;
    std::shared_ptr<BarSet> set_;
};

}  // namespace

Ref<DispObject> makeCommandBars(const std::shared_ptr<Model>& model, const std::shared_ptr<BarSet>& set) {
    return make<BarsObject>(model, set);
}

Ref<DispObject> controlObject(const std::shared_ptr<Model>& model, const std::shared_ptr<ControlData>& control) {
    if (!control->object) {
        control->object = make<ControlObject>(model, control);
        // Its sinks are dropped at the client's teardown, whether or not the control is still on a bar.
        if (model && control->isButton()) model->eventSources.push_back(control->object);
    }
    return control->object;
}

}  // namespace tw::standin

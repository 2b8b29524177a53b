// A button's face from the add-in's own bitmap resources: set as its picture where the client takes
// one, else pasted through the clipboard, whose contents the user gets back afterwards.
#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "core/Error.h"
#include "win32/office/ComCommandBars.h"

namespace tw::win32::office {

namespace {

[[noreturn]] void fail(const std::string& what) { throw Error(static_cast<long>(GetLastError()), "CommandBarButton", what); }

/// The module this code is linked into: the add-in's library, whose resources hold the faces.
HMODULE ownModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ownModule), &module);
    return module;
}

class Bitmap {
public:
    explicit Bitmap(int resourceId)
        : handle_(static_cast<HBITMAP>(LoadImageW(ownModule(), MAKEINTRESOURCEW(resourceId), IMAGE_BITMAP, 0, 0, 0))) {
        if (!handle_) fail("The add-in has no picture " + std::to_string(resourceId) + ".");
    }
    explicit Bitmap(HBITMAP owned) : handle_(owned) {}
    ~Bitmap() {
        if (handle_) DeleteObject(handle_);
    }
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;
    HBITMAP get() const { return handle_; }
    /// Hands the bitmap over to a new owner.
    HBITMAP release() { return std::exchange(handle_, nullptr); }

private:
    HBITMAP handle_;
};

/// The clipboard, open for as long as this lives, owned by a window of its own as setting data needs.
class OpenClipboardWindow {
public:
    OpenClipboardWindow() {
        window_ = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        if (!window_) fail("No window to own the clipboard.");
        for (int attempt = 0; attempt < 10 && !open_; ++attempt) {
            open_ = OpenClipboard(window_) != FALSE;
            if (!open_) Sleep(20);  // another program has it for a moment
        }
        if (!open_) {
            DestroyWindow(window_);
            fail("The clipboard could not be opened.");
        }
    }
    ~OpenClipboardWindow() {
        CloseClipboard();
        DestroyWindow(window_);
    }
    OpenClipboardWindow(const OpenClipboardWindow&) = delete;
    OpenClipboardWindow& operator=(const OpenClipboardWindow&) = delete;

private:
    HWND window_ = nullptr;
    bool open_ = false;
};

/// Copies of what the clipboard held, in the formats that are memory or a bitmap.
class SavedClipboard {
public:
    SavedClipboard() {
        OpenClipboardWindow open;
        for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format)) {
            HANDLE data = GetClipboardData(format);
            if (!data) continue;
            if (format == CF_BITMAP) {
                if (HANDLE copy = CopyImage(data, IMAGE_BITMAP, 0, 0, 0)) saved_.emplace_back(format, copy);
            } else if (format == CF_ENHMETAFILE) {
                if (HANDLE copy = CopyEnhMetaFile(static_cast<HENHMETAFILE>(data), nullptr)) saved_.emplace_back(format, copy);
            } else if (isMemory(format)) {
                if (HGLOBAL copy = copyMemory(data)) saved_.emplace_back(format, copy);
            }
        }
    }
    /// Puts the saved contents back; what the clipboard holds now is emptied.
    void restore() {
        OpenClipboardWindow open;
        EmptyClipboard();
        for (auto& [format, data] : saved_)
            if (SetClipboardData(format, data)) data = nullptr;
        release();
    }
    ~SavedClipboard() { release(); }
    SavedClipboard(const SavedClipboard&) = delete;
    SavedClipboard& operator=(const SavedClipboard&) = delete;

private:
    /// Formats whose data is plain global memory: private and GDI-object formats hold handles of
    /// their owner's, and the display and metafile-picture formats hold handles inside.
    static bool isMemory(UINT format) {
        if (format >= CF_PRIVATEFIRST && format <= CF_GDIOBJLAST) return false;
        switch (format) {
            case CF_PALETTE: case CF_METAFILEPICT: case CF_DSPBITMAP: case CF_DSPENHMETAFILE:
            case CF_DSPMETAFILEPICT: case CF_OWNERDISPLAY:
                return false;
            default:
                return true;
        }
    }
    static HGLOBAL copyMemory(HANDLE data) {
        const SIZE_T size = GlobalSize(data);
        if (size == 0) return nullptr;
        const void* from = GlobalLock(data);
        if (!from) return nullptr;
        HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
        if (void* to = copy ? GlobalLock(copy) : nullptr) {
            memcpy(to, from, size);
            GlobalUnlock(copy);
        }
        GlobalUnlock(data);
        return copy;
    }
    void release() {
        for (auto& [format, data] : saved_) {
            if (!data) continue;
            if (format == CF_BITMAP) DeleteObject(data);
            else if (format == CF_ENHMETAFILE) DeleteEnhMetaFile(static_cast<HENHMETAFILE>(data));
            else GlobalFree(data);
        }
        saved_.clear();
    }

    std::vector<std::pair<UINT, HANDLE>> saved_;
};

/// An OLE picture that owns the bitmap.
ComPtr<IPictureDisp> pictureOf(Bitmap& bitmap) {
    PICTDESC description{};
    description.cbSizeofstruct = sizeof(description);
    description.picType = PICTYPE_BITMAP;
    description.bmp.hbitmap = bitmap.get();
    ComPtr<IPictureDisp> picture;
    HRESULT hr = OleCreatePictureIndirect(&description, IID_IPictureDisp, TRUE, reinterpret_cast<void**>(picture.put()));
    if (FAILED(hr)) throw Error(hr, "CommandBarButton", "The picture could not be made.");
    bitmap.release();
    return picture;
}

/// The mask the client draws a face through: white where the picture shows the colour of its
/// corner, its background, so the bar shows through there; black where the picture is drawn.
HBITMAP maskOf(HBITMAP picture) {
    BITMAP shape{};
    if (!GetObjectW(picture, sizeof(shape), &shape)) fail("The picture cannot be measured.");
    HBITMAP mask = CreateBitmap(shape.bmWidth, shape.bmHeight, 1, 1, nullptr);
    HDC from = CreateCompatibleDC(nullptr), to = CreateCompatibleDC(nullptr);
    HGDIOBJ oldFrom = SelectObject(from, picture), oldTo = SelectObject(to, mask);
    // A colour picture copied to a monochrome one turns its background colour white, the rest black.
    SetBkColor(from, GetPixel(from, 0, 0));
    const bool drawn = mask && BitBlt(to, 0, 0, shape.bmWidth, shape.bmHeight, from, 0, 0, SRCCOPY);
    SelectObject(from, oldFrom);
    SelectObject(to, oldTo);
    DeleteDC(from);
    DeleteDC(to);
    if (!drawn) {
        if (mask) DeleteObject(mask);
        fail("The picture's mask could not be made.");
    }
    return mask;
}

}  // namespace

void ComCommandBarControl::setPicture(int resourceId) {
    bool hasPicture = true;
    try {
        d_.idOf("Picture");
    } catch (const Error&) {
        hasPicture = false;  // an older client: the face goes only through the clipboard
    }
    if (hasPicture) {
        Bitmap bitmap(resourceId), mask(maskOf(bitmap.get()));
        d_.putRef("Picture", Variant(static_cast<IDispatch*>(pictureOf(bitmap).get())));
        d_.putRef("Mask", Variant(static_cast<IDispatch*>(pictureOf(mask).get())));
        return;
    }
    Bitmap pasted(resourceId);
    SavedClipboard saved;
    try {
        {
            OpenClipboardWindow open;
            EmptyClipboard();
            if (!SetClipboardData(CF_BITMAP, pasted.get())) fail("The picture could not be put on the clipboard.");
            pasted.release();
        }
        d_.call("PasteFace");
    } catch (...) {
        saved.restore();
        throw;
    }
    saved.restore();
}

}  // namespace tw::win32::office

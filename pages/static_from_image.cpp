#include "pages/static_from_image.h"

#include "base/handle.h"
#include "base/resource.h"

// gdiplus.h expects min/max and the COM declarations of windows.h.
#include <algorithm>
using std::max;
using std::min;
#include <objidl.h>
#include <gdiplus.h>
#include <shlwapi.h>

#include <cstring>

void CStaticFromImage::SetImage(std::shared_ptr<Gdiplus::Image> image) {
    m_image = std::move(image);
    if (GetSafeHwnd()) InvalidateRect(GetSafeHwnd(), nullptr, TRUE);
}

void CStaticFromImage::LoadFromResource(int resourceId, const wchar_t* resourceType) {
    SetImage(LoadImageFromResource(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId),
                                   resourceType));
}

bool CStaticFromImage::OnMessage(UINT message, WPARAM, LPARAM, LRESULT& result) {
    if (message != WM_PAINT) return false;
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(GetSafeHwnd(), &paint);
    if (m_image) {
        RECT client;
        GetClientRect(GetSafeHwnd(), &client);
        Gdiplus::Graphics graphics(dc);
        graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
        graphics.DrawImage(m_image.get(), 0, 0, static_cast<INT>(client.right),
                           static_cast<INT>(client.bottom));
    }
    EndPaint(GetSafeHwnd(), &paint);
    result = 0;
    return true;
}

std::shared_ptr<Gdiplus::Bitmap> LoadImageFromResource(HMODULE module, const wchar_t* name,
                                                       const wchar_t* type) {
    const ResourceBytes resource = LoadResourceBytes(module, name, type);
    if (!resource.data || resource.size == 0) return nullptr;
    const DWORD size = resource.size;
    win32::unique_hglobal block(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size));
    if (!block) return nullptr;
    void* target = GlobalLock(block.get());
    if (!target) return nullptr;
    std::memcpy(target, resource.data, size);
    GlobalUnlock(block.get());
    win32::com_ptr<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(block.get(), TRUE, stream.put()))) return nullptr;
    block.release();  // the stream frees it now
    auto bitmap = std::make_shared<Gdiplus::Bitmap>(stream.get());
    if (bitmap->GetLastStatus() != Gdiplus::Ok) return nullptr;
    return bitmap;
}

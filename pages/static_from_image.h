// A static control that draws a GDI+ image stretched to its client area.
#pragma once

#include "ui/subclassed_control.h"

#include <memory>

namespace Gdiplus {
class Image;
class Bitmap;
}  // namespace Gdiplus

class CStaticFromImage : public ui::SubclassedControl {
public:
    void SetImage(std::shared_ptr<Gdiplus::Image> image);
    void LoadFromResource(int resourceId, const wchar_t* resourceType);

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    std::shared_ptr<Gdiplus::Image> m_image;
};

// A GDI+ bitmap made from an embedded image resource, or null on any failure.
std::shared_ptr<Gdiplus::Bitmap> LoadImageFromResource(HMODULE module, const wchar_t* name,
                                                       const wchar_t* type);

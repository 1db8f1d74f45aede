#include "pages/finish_page.h"

#include "res/resource.h"

void FinishPage::OnNavigateToPage() {
    HWND host = GetParent(GetSafeHwnd());
    SetWindowLongW(host, GWL_STYLE, GetWindowLongW(host, GWL_STYLE) & ~WS_MINIMIZEBOX);
    SetWindowPos(host, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void FinishPage::LoadPicture() {
    m_picture.Attach(Item(IDC_PAGE_PICTURE));
    m_picture.LoadFromResource(IDR_IMAGE_SUCCESS, L"IMAGE_BLOB2");
}

void FinishPage::OnCommand(int id, int code) {
    if (id == IDC_FINISH && code == BN_CLICKED) OnFinish();
}

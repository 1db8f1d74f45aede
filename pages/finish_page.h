// What both finish pages share: the success picture, the Finish button and the host window
// losing its minimise box.
#pragma once

#include "pages/ipage.h"
#include "pages/static_from_image.h"

class FinishPage : public WizardPage {
public:
    // Removes the host window's minimise box: the wizard can now only be closed.
    void OnNavigateToPage() override;

protected:
    using WizardPage::WizardPage;

    // Shows the success picture.
    void LoadPicture();
    void OnCommand(int id, int code) override;
    // Starts what the user chose, then reports Finish.
    virtual void OnFinish() = 0;

    CStaticFromImage m_picture;
};

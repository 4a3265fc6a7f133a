#include "app/main.h"

#include "app/install.h"
#include "framework/bitmap.h"
#include "platform/files.h"

TMainForm* MainForm = nullptr;

ZARN_DEFINE_CLASS(TMainForm, TForm, [](TClassBuilder<TMainForm>& b) {
    b.Field("Bevel1", &TMainForm::Bevel1)
        .Field("Image1", &TMainForm::Image1)
        .Field("Bevel2", &TMainForm::Bevel2)
        .Field("Label1", &TMainForm::Label1)
        .Field("Label2", &TMainForm::Label2)
        .Field("Label3", &TMainForm::Label3)
        .Field("Label4", &TMainForm::Label4)
        .Field("Label5", &TMainForm::Label5)
        .Field("Label10", &TMainForm::Label10)
        .Field("SelectFolderPanel", &TMainForm::SelectFolderPanel)
        .Field("Label6", &TMainForm::Label6)
        .Field("Label7", &TMainForm::Label7)
        .Field("FilenameEdit", &TMainForm::FilenameEdit)
        .Field("Button1", &TMainForm::Button1)
        .Field("FinishPanel", &TMainForm::FinishPanel)
        .Field("Label8", &TMainForm::Label8)
        .Field("Label9", &TMainForm::Label9)
        .Field("BackBtn", &TMainForm::BackBtn)
        .Field("NextBtn", &TMainForm::NextBtn)
        .Field("CancelBtn", &TMainForm::CancelBtn)
        .Field("FinishBtn", &TMainForm::FinishBtn)
        .Field("ScreenSB", &TMainForm::ScreenSB)
        .Field("OpenDialog", &TMainForm::OpenDialog)
        .Method("FormShow", &TMainForm::FormShow)
        .Method("NextBtnClick", &TMainForm::NextBtnClick)
        .Method("BackBtnClick", &TMainForm::BackBtnClick)
        .Method("ScreenSBChange", &TMainForm::ScreenSBChange)
        .Method("FilenameEditChange", &TMainForm::FilenameEditChange)
        .Method("Button1Click", &TMainForm::Button1Click)
        .Method("FinishBtnClick", &TMainForm::FinishBtnClick)
        .Method("CancelBtnClick", &TMainForm::CancelBtnClick);
})

TMainForm::TMainForm(TComponent* owner) : TForm(owner) {}

void TMainForm::Loaded() {
    TForm::Loaded();
    // The artwork is kept beside the form description.
    if (Image1) Image1->Picture()->Bitmap()->LoadFromResourceName("artwork");
}

bool TMainForm::PathNamesFile() const { return platform::FileExists(FilenameEdit->Text()); }

void TMainForm::FormShow(TObject*) {
    // The folder the setup was started from, before Browse can move the current folder.
    InstallForm->SourceDir = platform::GetCurrentDirectory();
}

void TMainForm::NextBtnClick(TObject*) { ScreenSB->SetPosition(ScreenSB->Position() + 1); }

void TMainForm::BackBtnClick(TObject*) { ScreenSB->SetPosition(ScreenSB->Position() - 1); }

void TMainForm::ScreenSBChange(TObject*) {
    switch (ScreenSB->Position()) {
        case 1:
            BackBtn->SetEnabled(false);
            NextBtn->SetEnabled(true);
            CancelBtn->SetEnabled(true);
            SelectFolderPanel->Hide();
            FinishPanel->Hide();
            break;
        case 2:
            BackBtn->SetEnabled(true);
            NextBtn->SetEnabled(PathNamesFile());
            CancelBtn->SetEnabled(true);
            CancelBtn->Show();
            FinishBtn->Hide();
            SelectFolderPanel->Show();
            FinishPanel->Hide();
            break;
        case 3:
            BackBtn->SetEnabled(true);
            NextBtn->SetEnabled(false);
            CancelBtn->Hide();
            FinishBtn->Show();
            SelectFolderPanel->Hide();
            FinishPanel->Show();
            break;
        default: break;
    }
}

void TMainForm::FilenameEditChange(TObject*) { NextBtn->SetEnabled(PathNamesFile()); }

void TMainForm::Button1Click(TObject*) {
    if (OpenDialog->Execute()) FilenameEdit->SetText(OpenDialog->FileName());
}

void TMainForm::FinishBtnClick(TObject*) {
    InstallForm->FilenameEdit->SetText(FilenameEdit->Text());
    InstallForm->ShowModal();
    if (!InstallForm->InstallSucceeded)
        Application->MessageBox("The installation was not successfull.", Application->Title(), MbOk);
    Close();
}

void TMainForm::CancelBtnClick(TObject*) { Close(); }

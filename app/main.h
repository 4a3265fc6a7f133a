// The setup wizard: welcome page, Quake location page and ready page.
#pragma once
#include "framework/dialogs.h"
#include "framework/extctrls.h"
#include "framework/forms.h"
#include "framework/stdctrls.h"

class TMainForm : public TForm {
    ZARN_CLASS(TMainForm, TForm)
public:
    explicit TMainForm(TComponent* owner);

    TBevel* Bevel1 = nullptr;
    TImage* Image1 = nullptr;
    TBevel* Bevel2 = nullptr;
    TLabel* Label1 = nullptr;
    TLabel* Label2 = nullptr;
    TLabel* Label3 = nullptr;
    TLabel* Label4 = nullptr;
    TLabel* Label5 = nullptr;
    TLabel* Label10 = nullptr;
    TPanel* SelectFolderPanel = nullptr;
    TLabel* Label6 = nullptr;
    TLabel* Label7 = nullptr;
    TEdit* FilenameEdit = nullptr;
    TButton* Button1 = nullptr;
    TPanel* FinishPanel = nullptr;
    TLabel* Label8 = nullptr;
    TLabel* Label9 = nullptr;
    TButton* BackBtn = nullptr;
    TButton* NextBtn = nullptr;
    TButton* CancelBtn = nullptr;
    TButton* FinishBtn = nullptr;
    TScrollBar* ScreenSB = nullptr;
    TOpenDialog* OpenDialog = nullptr;

    void FormShow(TObject* sender);
    void NextBtnClick(TObject* sender);
    void BackBtnClick(TObject* sender);
    void ScreenSBChange(TObject* sender);
    void FilenameEditChange(TObject* sender);
    void Button1Click(TObject* sender);
    void FinishBtnClick(TObject* sender);
    void CancelBtnClick(TObject* sender);

    void Loaded() override;

private:
    bool PathNamesFile() const;
};

extern TMainForm* MainForm;

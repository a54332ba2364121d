// The About box: the application's title and icon, the version, the rights notice
// with the current year, a legal notice and the home-page link, which opens with the
// shell when clicked. A new box is built each time it is asked for.
#pragma once

#include "forms/Forms.h"
#include "forms/ImageControl.h"
#include "forms/StdCtrls.h"
#include "skin/frame/sSkinProvider.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace sj {

// A caption template filled in: each "%s" or "%d" takes the next value in order,
// "%%" gives "%". Values are inserted as they are, so a "%" inside one stays.
std::string FillTemplate(const std::string& text, const std::vector<std::string>& values);

// The year of the local date; replaceable so that tests can fix the date.
std::function<int()>& CurrentYearFunc();

class TFormAbout : public TForm {
    SJ_CLASS(TFormAbout, TForm)

public:
    explicit TFormAbout(TComponent* owner);

    void FormCreate(TObject* sender);
    void ButtonOKClick(TObject* sender);
    void LabelWebClick(TObject* sender);

    TImage* ImageIcon = nullptr;
    TLabel* LabelAppName = nullptr;
    TLabel* LabelVersion = nullptr;
    TLabel* LabelCopyRight = nullptr;
    TLabel* LabelWarning = nullptr;
    TLabel* LabelWeb = nullptr;
    TButton* ButtonOK = nullptr;
    TsSkinProvider* sSkinProvider1 = nullptr;

private:
    // Skins the ordinary controls until the form gets its full skin provider.
};

} // namespace sj

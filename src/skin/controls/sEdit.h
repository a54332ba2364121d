// The skinned single-line edit: its border ring and, while it is neither focused nor
// hovered (or when disabled), its whole face come from the cached face painted from its
// skin section; while it is hot the system edit paints its live text and caret inside
// the skinned ring. Carries the caption label placed beside it. Windows only.
#pragma once

#include <windows.h>

#include <memory>

#include "forms/StdCtrls.h"
#include "skin/paint/sCommonData.h"
#include "skin/paint/sGlyphPaint.h" // the DisabledKind values

namespace sj {

class TsEdit : public TEdit {
    SJ_CLASS(TsEdit, TEdit)

public:
    explicit TsEdit(TComponent* owner);
    ~TsEdit() override;

    TsCtrlSkinData& SkinData() { return *skinData_; }
    TsBoundLabel& BoundLabel() { return *boundLabel_; }
    unsigned DisabledKind() const { return disabledKind_; }
    void SetDisabledKind(unsigned value);

    void SetBounds(int left, int top, int width, int height) override;

    // Width of the ring painted around the text: the client edge plus one.
    int BorderWidth() const;
    // Renders the face into the skin data's cache at the control's size.
    virtual void PaintFace();

protected:
    virtual void PaintText();
    // Right edge of the text inside the face.
    virtual int TextRight() const;
    virtual UINT TextAlignment() const;
    void WndProc(TMessage& message) override;
    void Loaded() override;
    // The face is stale: repaint client and frame.
    virtual void RefreshFace();

private:
    bool ShowsCachedClient() const;
    void PaintBorderRing(HDC windowDC);
    void PaintClientFromCache(TMessage& message);
    // WM_PRINT: the skinned border ring and client into another DC (a form's snapshot).
    void PrintSkinned(HDC dc, LPARAM flags);
    void FollowSkinCommand(TMessage& message);
    // The caption label shows and hides with the edit, and is disabled with it only when
    // the disabled look does not blend (a blended edit keeps a readable caption).
    void UpdateBoundLabel();

    std::unique_ptr<TsCtrlSkinData> skinData_;
    std::unique_ptr<TsBoundLabel> boundLabel_;
    unsigned disabledKind_;
};

// Registers TsEdit with the stored-form reader, with its published properties.
void RegisterSkinEditClasses();

} // namespace sj

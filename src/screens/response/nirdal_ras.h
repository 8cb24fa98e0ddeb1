// SPDX-License-Identifier: MIT
#pragma once

#include "core/response/response_computation.h"
#include "qtdraw/image_surface.h"
#include "screens/shell/form.h"

#include <array>
#include <memory>

class QFrame;
class QLabel;
class QPushButton;

namespace nirdal {

/// The computation screen: the start search and the sweep of the current variant, page by
/// page, with the values listing and the notices on which the computation stops. A fresh
/// screen is made for every computation; it computes once, on its first activation.
///
/// The listing is kept on an off-screen image, so it is still there when the screen is
/// uncovered.
class TNIRDAL_rasform : public Form, private ResponseScreen
{
    Q_OBJECT

public:
    explicit TNIRDAL_rasform(QWidget* parent = nullptr);
    ~TNIRDAL_rasform() override;

    void Button1Click();
    void Button2Click();
    void Button5Click();
    void Button6Click();
    void Button7Click();
    void Button8Click();
    void DDClick();

    /// The computation behind the screen; null before the first activation.
    const ResponseComputation* Computation() const { return m_computation.get(); }
    /// The listing as drawn so far.
    const QImage& Listing() { return m_listing.Image(); }

protected:
    void FormActivate() override;
    void ReleasePictures() override;
    void paintEvent(QPaintEvent* event) override;

private:
    void SetVisible(ScreenControl control, bool visible) override;
    void SetCaption(ScreenControl control, std::string_view text) override;
    void RequestClose() override;

    /// Runs one command of the computation, then shows what it drew.
    template <class Command> void Run(Command command);

    QWidget* Add(ScreenControl control, QWidget* parent, const QRect& place);

    std::array<QWidget*, kScreenControlCount> m_controls{};
    QFrame* Panel1;
    QFrame* Panel3;
    QFrame* Panel4;
    QFrame* Panel5;
    QPushButton* DD;
    QPushButton* Button7;
    QLabel* Image1;
    ImageSurface m_listing;
    std::unique_ptr<ResponseComputation> m_computation;
};

extern TNIRDAL_rasform* NIRDAL_rasform;

} // namespace nirdal

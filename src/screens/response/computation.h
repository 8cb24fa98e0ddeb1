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
class ComputationScreen : public Form, private ResponseScreen
{
    Q_OBJECT

public:
    explicit ComputationScreen(QWidget* parent = nullptr);
    ~ComputationScreen() override;

    void ContinueSearch();
    void LeaveSearch();
    void FinishAtLimit();
    void FinishConverged();
    void Exit();
    void FinishAfterFault();
    void NextPage();

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
    QFrame* StartNotFoundPanel;
    QFrame* LimitPanel;
    QFrame* ConvergedPanel;
    QFrame* FaultPanel;
    QPushButton* NextPageButton;
    QPushButton* ExitButton;
    QLabel* ListingImage;
    ImageSurface m_listing;
    std::unique_ptr<ResponseComputation> m_computation;
};

extern ComputationScreen* ComputationForm;

} // namespace nirdal

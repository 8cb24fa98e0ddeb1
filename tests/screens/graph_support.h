// SPDX-License-Identifier: MIT
#pragma once

// What the graph and computation screen tests share: variants set up without the entry
// screens, the box the program shows for a failure, and pages printed into a recording.

#include "core/common/recording_surface.h"
#include "core/response/unattended_sweep.h"
#include "core/tf/tf_text.h"
#include "core/tf/transfer_function.h"
#include "screen_driver.h"
#include "screens/shell/road.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <functional>
#include <vector>

namespace nirdal::testing {

/// Replaces the assignment's variants by the given transfer functions (NUM:DEN[:DELAY]),
/// each computed as the computation screen does; the last one is current.
inline void SetVariants(const std::vector<const char*>& texts)
{
    ProgramAssignment().Variants.assign(1, TransferFunction{});
    ProgramAssignment().VariantCount = 0;
    for (const char* text : texts) {
        ++ProgramAssignment().VariantCount;
        PrepareVariantSlot(ProgramAssignment(), ProgramAssignment().VariantCount);
        TransferFunction& variant = ProgramAssignment().Variants[ProgramAssignment().VariantCount];
        std::string error;
        if (!ParseTransferFunctionText(text, variant, error))
            qFatal("bad transfer function %s: %s", text, error.c_str());
        RunUnattendedSweep(variant, 0);
    }
    ProgramAssignment().CurrentVariant = ProgramAssignment().VariantCount;
}

/// Runs trigger and answers the first message box it shows with its default button, or with
/// the button captioned answer; returns the box's text, or a null string when no box came.
inline QString MessageBoxAfter(const std::function<void()>& trigger, const QString& answer = {})
{
    QString text;
    QTimer watch;
    watch.setInterval(2);
    QObject::connect(&watch, &QTimer::timeout, [&text, &watch, answer] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            watch.stop();
            text = box->text();
            for (QAbstractButton* button : box->buttons()) {
                if (!answer.isEmpty() && button->text() == answer) {
                    button->click();
                    return;
                }
            }
            box->done(QMessageBox::Ok);
        }
    });
    watch.start();
    trigger();
    return text;
}

/// A printer that keeps every page as a recording.
struct RecordingPrinter
{
    std::vector<std::vector<DrawOp>> pages;

    bool operator()(const PageDrawing& draw, QString&)
    {
        RecordingSurface page;
        draw(page);
        pages.push_back(page.ops());
        return true;
    }
};

} // namespace nirdal::testing

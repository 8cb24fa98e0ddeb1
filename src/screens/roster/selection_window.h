// SPDX-License-Identifier: MIT
#pragma once

#include "core/roster/roster.h"
#include "screens/shell/form.h"

class QLabel;
class QPushButton;
class QToolButton;

namespace nirdal {

class StringGrid;

/// A reusable selection window over a roster: a strip of group codes and a grid of the
/// chosen group's surnames, three to a row. The choice goes into `selection`. A click on a
/// surname starts what the descendant's RunAssignment says; the descendant also sets the
/// heading.
class SelectionWindow : public Form
{
    Q_OBJECT

public:
    SelectionWindow(const RosterGroups& roster, StudentChoice& selection,
                    QWidget* parent = nullptr);

    void ChooseGroup();
    void ChooseStudent();
    void OpenMethodGuide();

    /// Sizes the window and fills the surname grid for the chosen group.
    void FillSurnameGrid();

protected:
    void FormCreate() override;

    /// What follows the choice of a surname.
    virtual void RunAssignment() = 0;
    /// Sets the heading text.
    virtual void SetHeading() = 0;

    QLabel* Heading;
    QToolButton* GuideButton;
    QPushButton* CloseButton;
    StringGrid* GroupGrid;
    StringGrid* SurnameGrid;

private:
    const RosterGroups& m_roster;
    StudentChoice& m_selection;
};

} // namespace nirdal

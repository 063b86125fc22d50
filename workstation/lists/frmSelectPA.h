#pragma once

#include "reading/ReadingRecord.h"

#include <QDialog>

#include <optional>

class QListWidget;
class QPushButton;

namespace vantor {

struct Catalogue;

// "Select Patient": one row per patient, "PatientName ( PatientID )", with the
// patients whose comment was filled in shown marked (selected). OK, a double
// click or Enter chooses the current row; Cancel or Esc chooses nothing.
class frmSelectPA : public QDialog {
    Q_OBJECT
public:
    frmSelectPA(const Catalogue& catalogue, const Readings& readings, int preselected, QWidget* parent = nullptr);

    // Shows the window modally; the chosen index, or nothing on Cancel.
    static std::optional<int> choose(const Catalogue& catalogue, const Readings& readings, int preselected,
                                     QWidget* parent = nullptr);

    bool Success() const { return success_; }
    int ChosenIndex() const { return chosenIndex_; }

    QListWidget* List1() const { return list_; }
    QPushButton* btnOK() const { return ok_; }
    QPushButton* btnCancel() const { return cancel_; }

public slots:
    void accept() override;
    void reject() override;

private:
    void restoreMarks();

    QListWidget* list_;
    QPushButton* ok_;
    QPushButton* cancel_;
    std::vector<int> marked_;
    bool success_ = false;
    int chosenIndex_ = -1;
};

} // namespace vantor

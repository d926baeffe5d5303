// Tick boxes in the lists are clicked where they are drawn: centred in their cells.
#include "CheckBoxDelegate.h"
#include "StringGrid.h"
#include "WindowFixture.h"

#include <QTableView>

namespace {

class TickBoxClick : public WindowFixture {
  protected:
    // A program row as the list makes it, with its box in column 0.
    void addProgramRow(const QString& name, const QString& version) {
        StringGrid& grid = *window->grdFilesModel;
        if (!grid.Cell(1, 1).isEmpty())
            grid.AppendRow();
        const int row = grid.RowCount() - 1;
        grid.SetCell(1, row, name);
        grid.SetCell(3, row, version);
        grid.AddCheckBox(0, row, false);
    }

    QPoint boxCentre(QTableView* view, int modelRow, int col) {
        QStyleOptionViewItem option;
        option.initFrom(view);
        option.rect = view->visualRect(view->model()->index(modelRow, col));
        option.widget = view;
        return CheckBoxDelegate::BoxRect(option).center();
    }
};

TEST_F(TickBoxClick, ClickOnTheCentredBoxTicksItAndRunsTheTickHandler) {
    showWithoutStartup();
    addProgramRow(QStringLiteral("CORPAY.EXE"), QStringLiteral("5.02.3"));
    TfrmMAIN000& w = *window;
    QTableView* view = w.grdFiles;
    const QPoint box = boxCentre(view, 0, 0);
    // The box sits in the middle of the 63-px column, not at its left edge.
    EXPECT_GT(box.x(), view->columnWidth(0) / 2 - 10);

    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, box);
    EXPECT_TRUE(w.grdFilesModel->IsChecked(0, 1));
    EXPECT_EQ(w.edZIPSuffix->text(), QStringLiteral("PAY"));
    EXPECT_EQ(w.edZIPVersion->text(), QStringLiteral("5023"));

    // A click in the cell beside the box changes nothing; a second click on it unticks.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                      QPoint(view->visualRect(view->model()->index(0, 0)).left() + 2, box.y()));
    EXPECT_TRUE(w.grdFilesModel->IsChecked(0, 1));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, box);
    EXPECT_FALSE(w.grdFilesModel->IsChecked(0, 1));
}

TEST_F(TickBoxClick, CriticalBoxOfTheZipListTogglesByClickAndSpace) {
    showWithoutStartup();
    TfrmMAIN000& w = *window;
    w.pgMain->setCurrentIndex(1);
    StringGrid& grid = *w.grdZIPFilesModel;
    grid.SetCell(1, 1, QStringLiteral("CORPAY_5023.ZIP"));
    grid.AddCheckBox(0, 1, false);
    grid.AddCheckBox(6, 1, false);
    QTableView* view = w.grdZIPFiles;
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, boxCentre(view, 0, 6));
    EXPECT_TRUE(grid.IsChecked(6, 1));
    EXPECT_FALSE(grid.IsChecked(0, 1));

    view->setCurrentIndex(view->model()->index(0, 6));
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Space);
    EXPECT_FALSE(grid.IsChecked(6, 1));
}

} // namespace

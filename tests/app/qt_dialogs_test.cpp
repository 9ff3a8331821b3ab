#include "app/qt_dialogs.h"

#include "tests/support/gbk_assert.h"
#include "tests/support/temp_folder.h"
#include "text/code_page.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace sw {
namespace {

using test::G;

// Runs answer on the modal dialog once it is open.
void WhenModalOpens(std::function<void(QWidget&)> answer) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, answer = std::move(answer)] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            poll->stop();
            poll->deleteLater();
            answer(*modal);
        }
    });
    poll->start(10);
}

TEST(QtDialogsTest, WindowsFiltersBecomeQtNameFilters) {
    EXPECT_EQ((QStringList{QString::fromUtf8("Excel文档 (*.xlsx)"), QString::fromUtf8("Excel文档 (*.csv)"),
                           QString::fromUtf8("记事本文档 (*.txt)")}),
              QtNameFilters(G("Excel文档(*.xlsx)|*.xlsx|Excel文档(*.CSV)|*.csv|记事本文档(*.txt)|*.txt")));
    EXPECT_EQ((QStringList{QStringLiteral("Pictures (*.png *.jpg)"), QStringLiteral("All (*)")}),
              QtNameFilters("Pictures|*.png;*.jpg|All|*"));
    EXPECT_EQ(QStringList(), QtNameFilters("")) << "no pairs";
    EXPECT_EQ(QStringList(), QtNameFilters("Name without pattern")) << "an unpaired name is left out";
}

TEST(QtDialogsTest, SaveDialogAddsTheChosenFiltersExtension) {
    test::TempFolder folder;
    QtDialogs dialogs(nullptr);
    SaveDialogRequest request;
    request.title = G("保存文件");
    request.filter = G("Excel文档(*.xlsx)|*.xlsx|Excel文档(*.CSV)|*.csv|记事本文档(*.txt)|*.txt");
    request.defaultExtension = ".csv";
    request.initialFolder = Utf8ToGbk(folder.Path().string());
    QString title;
    WhenModalOpens([&title](QWidget& modal) {
        auto& dialog = dynamic_cast<QFileDialog&>(modal);
        title = dialog.windowTitle();
        dialog.selectNameFilter(dialog.nameFilters().at(2));
        emit dialog.filterSelected(dialog.nameFilters().at(2));
        dialog.selectFile(QString::fromUtf8("店铺列表"));
        static_cast<QDialog&>(dialog).accept();
    });

    const std::optional<std::string> chosen = dialogs.ChooseSaveFile(request);

    EXPECT_EQ(QString::fromUtf8("保存文件"), title);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_GBK_EQ(Utf8ToGbk((folder / "店铺列表.txt").string()), *chosen);
}

TEST(QtDialogsTest, CancelledDialogsGiveNothingAndMessagesWaitForTheirButton) {
    QtDialogs dialogs(nullptr);
    WhenModalOpens([](QWidget& modal) { dynamic_cast<QDialog&>(modal).reject(); });
    EXPECT_FALSE(dialogs.ChooseFolder(G("选择文件夹")).has_value());

    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    WhenModalOpens([&](QWidget& modal) {
        auto& box = dynamic_cast<QMessageBox&>(modal);
        text = box.text();
        icon = box.icon();
        box.button(QMessageBox::Ok)->click();
    });
    dialogs.ShowMessage(G("您还没有选择导出项目,请前往设置中心选择。"), G("导出"), MessageIcon::Information);
    EXPECT_EQ(QString::fromUtf8("您还没有选择导出项目,请前往设置中心选择。"), text);
    EXPECT_EQ(QMessageBox::Information, icon);
}

} // namespace
} // namespace sw

// The indexed toolbar: separators keep their number, clicks report the index, disabled and
// separator indices do nothing, captions change by index.
#include "platform/gui/toolbar.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

namespace corvane {
namespace {

std::vector<ToolbarButton> mainButtons() {
    return {{"Load Cut File", "Load", "load", "Load a Cut File"},
            toolbarSeparator(),
            {"Save Cut File", "Save", "save", "save"},
            toolbarSeparator(),
            {"Print Active Screen", "Print", "print", "Print Active Form"},
            toolbarSeparator()};
}

TEST(Toolbar, ButtonsAreNumberedFromOneWithSeparatorsCounted) {
    Toolbar bar;
    EXPECT_EQ(bar.objectName(), "asxToolbar1");
    bar.setButtons(mainButtons());
    EXPECT_EQ(bar.buttonCount(), 6);
    EXPECT_EQ(bar.buttonCaption(1), "Load Cut File");
    EXPECT_EQ(bar.buttonCaption(3), "Save Cut File");
    EXPECT_EQ(bar.buttonCaption(5), "Print Active Screen");
    EXPECT_EQ(bar.action(5)->toolTip(), "Print Active Form");
    EXPECT_EQ(bar.button(3).key, "save");
    EXPECT_TRUE(bar.button(2).separator);
    EXPECT_EQ(bar.action(2), nullptr);
    EXPECT_EQ(bar.action(0), nullptr);
    EXPECT_EQ(bar.action(7), nullptr);
    EXPECT_THROW(bar.button(7), std::out_of_range);
}

TEST(Toolbar, ClicksReportTheIndexUnlessDisabledOrSeparator) {
    Toolbar bar;
    bar.setButtons(mainButtons());
    bar.show();
    QSignalSpy spy(&bar, &Toolbar::buttonClicked);

    // A real mouse click on the button widget.
    auto* widget = qobject_cast<QToolButton*>(bar.widgetForAction(bar.action(3)));
    ASSERT_NE(widget, nullptr);
    QTest::mouseClick(widget, Qt::LeftButton);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), 3);

    bar.click(2);  // separator
    bar.click(9);  // out of range
    EXPECT_EQ(spy.count(), 1);

    bar.setButtonEnabled(1, false);
    EXPECT_FALSE(bar.isButtonEnabled(1));
    bar.click(1);
    QTest::mouseClick(bar.widgetForAction(bar.action(1)), Qt::LeftButton);
    EXPECT_EQ(spy.count(), 1);
    bar.setButtonEnabled(1, true);
    bar.click(1);
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(spy.at(1).at(0).toInt(), 1);
}

TEST(Toolbar, CaptionChangesByIndexAndButtonsCanBeReplaced) {
    Toolbar bar;
    bar.setButtons(mainButtons());
    bar.setButtonCaption(1, "Wire Off");
    EXPECT_EQ(bar.buttonCaption(1), "Wire Off");
    EXPECT_EQ(bar.button(1).caption, "Wire Off");
    bar.setButtonCaption(2, "ignored");
    EXPECT_EQ(bar.buttonCaption(2), "");

    const auto actionsBefore = bar.findChildren<QAction*>().size();
    bar.setButtons({{"Done", "", "", "Done and Close"}});
    EXPECT_EQ(bar.buttonCount(), 1);
    EXPECT_EQ(bar.actions().size(), 1);
    EXPECT_EQ(bar.findChildren<QAction*>().size(), actionsBefore - 5);  // the old ones are gone
    QSignalSpy spy(&bar, &Toolbar::buttonClicked);
    bar.click(1);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), 1);
}

}  // namespace
}  // namespace corvane

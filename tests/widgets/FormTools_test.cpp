#include "widgets/FormTools.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QWidget>
#include <memory>

namespace korvalin {
namespace {

class BaseForm : public QWidget {};
class DerivedForm : public BaseForm {};
class OtherForm : public QWidget {};
class DialogForm : public QDialog {
public:
    using QDialog::QDialog;
};

TEST(IsFormOpen, FalseWithoutSuchWindow) {
    const OtherForm other;
    EXPECT_FALSE(IsFormOpen<BaseForm>());
    EXPECT_FALSE(IsFormOpen<DialogForm>());
}

TEST(IsFormOpen, HiddenWindowCountsUntilDestroyed) {
    auto form = std::make_unique<BaseForm>();
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(IsFormOpen<BaseForm>());
    form->show();
    EXPECT_TRUE(IsFormOpen<BaseForm>());
    form->hide();
    EXPECT_TRUE(IsFormOpen<BaseForm>());
    form.reset();
    EXPECT_FALSE(IsFormOpen<BaseForm>());
}

TEST(IsFormOpen, DerivedWindowCountsForItsBaseButNotTheReverse) {
    const DerivedForm derived;
    EXPECT_TRUE(IsFormOpen<DerivedForm>());
    EXPECT_TRUE(IsFormOpen<BaseForm>());
    EXPECT_FALSE(IsFormOpen<OtherForm>());

    const BaseForm base;
    const OtherForm other;
    EXPECT_TRUE(IsFormOpen<OtherForm>());
}

TEST(IsFormOpen, ControlInsideAWindowIsNoForm) {
    QWidget window;
    auto* control = new BaseForm;
    control->setParent(&window);
    EXPECT_FALSE(IsFormOpen<BaseForm>());
}

TEST(IsFormOpen, DialogOwnedByAWindowIsAForm) {
    QWidget owner;
    auto* dialog = new DialogForm(&owner);
    EXPECT_TRUE(dialog->isWindow());
    EXPECT_TRUE(IsFormOpen<DialogForm>());
    delete dialog;
    EXPECT_FALSE(IsFormOpen<DialogForm>());
}

}  // namespace
}  // namespace korvalin

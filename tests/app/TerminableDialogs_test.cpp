#include "app/TerminableDialogs.h"

#include <gtest/gtest.h>

#include <functional>

#include "fakes/FakeDialogs.h"

namespace korvalin {
namespace {

// A box during which the termination request arrives: the toolkit ends it and it
// reports whatever button it had, here the one that would do harm.
class InterruptedDialogs final : public Dialogs {
public:
    std::function<void()> during;
    int shown = 0;

    int MessageBox(const std::string&, const std::string&, unsigned) override {
        ++shown;
        during();
        return IdYes;
    }
    bool InputQuery(const std::string&, const std::string&, std::string& value) override {
        ++shown;
        during();
        value = "typed";
        return true;
    }
};

TEST(TerminableDialogs, ARequestDuringABoxAnswersAsClosedAndLaterBoxesDoNotWait) {
    const struct {
        unsigned style;
        int closed;
    } cases[] = {{Dialogs::StyleYesNo, IdNo},
                 {Dialogs::StyleOkCancel, IdCancel},
                 {Dialogs::StyleYesNoCancel, IdCancel},
                 {Dialogs::StyleOk, IdOk}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.style);
        InterruptedDialogs inner;
        TerminableDialogs dialogs(inner);
        inner.during = [&] { dialogs.RequestTermination(); };
        EXPECT_EQ(dialogs.MessageBox("Sicher?", "Korvalin", c.style), c.closed);
        EXPECT_TRUE(dialogs.Terminating());
        EXPECT_EQ(dialogs.MessageBox("Noch eine", "Korvalin", c.style), c.closed);
        std::string value = "proposal";
        EXPECT_FALSE(dialogs.InputQuery("Korvalin", "Name", value));
        EXPECT_EQ(value, "proposal");
        EXPECT_EQ(inner.shown, 1) << "nothing is shown once the end was asked for";
    }
    InterruptedDialogs inner;
    TerminableDialogs dialogs(inner);
    inner.during = [&] { dialogs.RequestTermination(); };
    std::string value = "proposal";
    EXPECT_FALSE(dialogs.InputQuery("Korvalin", "Name", value));
    EXPECT_EQ(value, "proposal") << "the interrupted answer is not taken";
}

TEST(TerminableDialogs, WithoutARequestEverythingPassesThrough) {
    testing::FakeDialogs inner;
    inner.answers = {IdYes};
    inner.inputAnswers = {"typed"};
    TerminableDialogs dialogs(inner);
    EXPECT_EQ(dialogs.MessageBox("Sicher?", "Korvalin", Dialogs::StyleYesNo), IdYes);
    std::string value = "proposal";
    EXPECT_TRUE(dialogs.InputQuery("Korvalin", "Name", value));
    EXPECT_EQ(value, "typed");
    EXPECT_EQ(inner.messages.size(), 1u);
}

}  // namespace
}  // namespace korvalin

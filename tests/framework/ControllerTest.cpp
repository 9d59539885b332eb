#include "framework/Controller.h"

#include "framework/IValueObject.h"
#include "framework/IView.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class StepController : public Controller {
public:
    std::string result = "Failure";
    bool failBefore = false;
    std::vector<std::string> steps;

protected:
    void beforeExecute(IValueObject* values) override {
        steps.push_back("before " + values->getValue("outputDirectory"));
        if (failBefore) throw std::string("stop");
    }
    std::string doExecute(IValueObject* values) override {
        steps.push_back("do " + values->getValue("outputDirectory"));
        return result;
    }
    void afterExecute(IValueObject* values, std::string doResult) override {
        steps.push_back("after " + values->getValue("outputDirectory") + " " + doResult);
    }
};

class FakeView : public IView {
public:
    FakeView(std::string name, std::vector<std::string>& log) : name(std::move(name)), log(log) {}
    void show() override {}
    void close() override {}
    std::string getTitle() override { return name; }
    void setTitle(std::string) override {}
    void getValues(IValueObject* values) override { values->setValue("outputDirectory", "/out"); }
    void refresh(IValueObject* values) override { log.push_back("refresh " + name + " " + values->getValue("outputDirectory")); }
    TComponent* getComponent() override { return nullptr; }

private:
    std::string name;
    std::vector<std::string>& log;
};

}  // namespace

TEST(ControllerTest, ExecuteWithAViewRunsTheStepsOnItsValuesAndReturnsTheResult) {
    StepController controller;
    std::vector<std::string> refreshes;
    FakeView view("main", refreshes);
    EXPECT_EQ(controller.execute(&view), "Failure");
    EXPECT_EQ(controller.steps, (std::vector<std::string>{"before /out", "do /out", "after /out Failure"}));
    // The given view is refreshed only when registered.
    EXPECT_TRUE(refreshes.empty());
}

TEST(ControllerTest, RegisteredViewsAreRefreshedInOrderWithTheActionsValues) {
    StepController controller;
    controller.result = "Success";
    std::vector<std::string> refreshes;
    FakeView input("input", refreshes), first("first", refreshes), second("second", refreshes);
    controller.addRefreshView(&first);
    controller.addRefreshView(&second);
    EXPECT_EQ(controller.execute(&input), "Success");
    EXPECT_EQ(refreshes, (std::vector<std::string>{"refresh first /out", "refresh second /out"}));
}

TEST(ControllerTest, ExceptionFromBeforeSkipsTheOtherStepsAndTheRefresh) {
    StepController controller;
    controller.failBefore = true;
    std::vector<std::string> refreshes;
    FakeView view("v", refreshes);
    controller.addRefreshView(&view);
    EXPECT_THROW(controller.execute(&view), std::string);
    EXPECT_EQ(controller.steps, std::vector<std::string>{"before /out"});
    EXPECT_TRUE(refreshes.empty());
}

TEST(ControllerTest, ExecuteWithoutArgumentHandsAnEmptyValueObject) {
    StepController controller;
    controller.result = "Cancelled";
    EXPECT_EQ(controller.execute(), "Cancelled");
    EXPECT_EQ(controller.steps, (std::vector<std::string>{"before ", "do ", "after  Cancelled"}));
}

#include "platform/classlib/TButton.h"
#include "platform/classlib/TComponent.h"
#include "platform/classlib/TForm.h"
#include "platform/classlib/TGroupBox.h"
#include "platform/classlib/TPopupMenu.h"

#include "tests/platform/classlib/ClasslibFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using classlibtest::ClasslibTest;

// Records its teardown in a shared log; BeforeDestruction notes whether the object is still whole
// (its own class still reached) and still listed by its owner.
class Probe : public TComponent {
public:
    Probe(TComponent* owner, std::string name, std::vector<std::string>& log)
        : TComponent(owner), label(std::move(name)), log(log)
    {
    }
    ~Probe() override { log.push_back("~" + label); }
    void BeforeDestruction() override
    {
        TComponent::BeforeDestruction();
        log.push_back("before " + label + (Owner() != nullptr ? " owned" : " free"));
    }

private:
    std::string label;
    std::vector<std::string>& log;
};

TEST(ComponentTest, OwnerDestroysItsComponentsLastInsertedFirstEachWholeBeforeItsDestructor)
{
    std::vector<std::string> log;
    auto* owner = new Probe(nullptr, "owner", log);
    auto* a = new Probe(owner, "a", log);
    new Probe(a, "a1", log);
    new Probe(owner, "b", log);
    new Probe(owner, "c", log);
    ASSERT_EQ(3, owner->ComponentCount());
    EXPECT_EQ(owner, a->Owner());
    EXPECT_EQ(0, a->ComponentIndex());

    owner->Free();

    const std::vector<std::string> expected = {
        "before owner free",
        "~owner",
        "before c owned", "~c",
        "before b owned", "~b",
        "before a owned", "~a",
        "before a1 owned", "~a1",
    };
    EXPECT_EQ(expected, log);
}

TEST(ComponentTest, AComponentDestroyedAloneLeavesItsOwnerWhichThenDoesNotDestroyItAgain)
{
    std::vector<std::string> log;
    auto* owner = new Probe(nullptr, "owner", log);
    auto* a = new Probe(owner, "a", log);
    auto* b = new Probe(owner, "b", log);
    a->Free();
    EXPECT_EQ(1, owner->ComponentCount());
    EXPECT_EQ(b, owner->Components(0));
    EXPECT_EQ(nullptr, owner->Components(1));
    log.clear();
    delete owner;
    // A bare delete skips the owner's own BeforeDestruction; its components still get theirs.
    EXPECT_EQ((std::vector<std::string>{"~owner", "before b owned", "~b"}), log);
}

TEST(ComponentTest, InsertComponentMovesOwnershipAndFindComponentFindsByName)
{
    std::vector<std::string> log;
    Probe first(nullptr, "first", log);
    Probe second(nullptr, "second", log);
    auto* moved = new Probe(&first, "moved", log);
    moved->SetName("Moved");
    EXPECT_EQ(moved, first.FindComponent("Moved"));
    EXPECT_EQ(nullptr, first.FindComponent(""));

    second.InsertComponent(moved);
    EXPECT_EQ(&second, moved->Owner());
    EXPECT_EQ(0, first.ComponentCount());
    EXPECT_EQ(nullptr, first.FindComponent("Moved"));
    EXPECT_EQ(moved, second.FindComponent("Moved"));

    second.RemoveComponent(moved);
    EXPECT_EQ(nullptr, moved->Owner());
    delete moved;
}

class ControlTreeTest : public ClasslibTest {};

// A window destroys the controls placed on it even when another component owns them; the owner
// then no longer lists them.
TEST_F(ControlTreeTest, APanelTakesItsChildControlsWithItAndTheirOwnerForgetsThem)
{
    auto* form = new TForm(static_cast<TComponent*>(nullptr));
    auto* group = new TGroupBox(form);
    group->SetParent(form);
    auto* button = new TButton(form);
    button->SetParent(group);
    ASSERT_EQ(2, form->ComponentCount());
    EXPECT_EQ(group, button->Parent());
    EXPECT_EQ(1, group->ControlCount());

    group->Free();
    EXPECT_EQ(0, form->ComponentCount());
    EXPECT_EQ(0, form->ControlCount());
    form->Free();
}

// A control forgets the pop-up menu that goes away before it.
TEST_F(ControlTreeTest, AControlDropsThePopupMenuThatIsDestroyedBeforeIt)
{
    auto* form = new TForm(static_cast<TComponent*>(nullptr));
    auto* button = new TButton(form);
    button->SetParent(form);
    auto* menu = new TPopupMenu(form);
    button->SetPopupMenu(menu);
    EXPECT_EQ(menu, button->PopupMenu());
    menu->Free();
    EXPECT_EQ(nullptr, button->PopupMenu());
    form->Free();
}

}  // namespace

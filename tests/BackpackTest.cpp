#include <gtest/gtest.h>
#include <stack>
#include <string>

#include "Backpack.h"
#include "Collision.h"
#include "FlamethrowerItem.h"
#include "Game.h"
#include "GlockItem.h"
#include "Gold.h"
#include "HUD.h"
#include "HealthPotion.h"
#include "Player.h"
#include "UziItem.h"
#include "support/TestSupport.h"

using namespace testsupport;

namespace {

struct MysteryItem : Item {
    int getXLocation() override { return 555; }
    int getYLocation() override { return 610; }
    int getWidth() override { return 20; }
    int getHeight() override { return 20; }
    std::string getId() override { return "Mystery"; }
    void destroy() override { destroyed = true; }
    bool isDestroyed() override { return destroyed; }
    bool destroyed = false;
};

// A player at its starting place (view 540, 600), its backpack and a HUD that collects messages.
class BackpackTest : public PlayerFixture {
protected:
    BackpackTest() : PlayerFixture(true) {}
    void SetUp() override {
        PlayerFixture::SetUp();
        bag = p->backpack;
    }
    // Walks the item under the player as the level does: touched, offered, destroyed if taken.
    void touch(Item* item) {
        std::stack<Item*> ground;
        ground.push(item);
        p->itemCollision(ground);
    }
    std::string lastMessage() {
        return h->texts.empty() ? "" : h->texts.top()->displayString.str();
    }

    Backpack* bag = nullptr;
};

} // namespace

TEST_F(BackpackTest, HoldsTwentyFourPotionsAndRefusesTheNext) {
    {
        AudioFreeze freeze;
        ASSERT_TRUE(bag->addItem(new HealthPotion(0, 0)));
        freeze.expectStarted(bag->healthPotion, 1, "healthPotion.wav");
        EXPECT_EQ("Health Potion Added to Backpack", lastMessage());
    }
    for (int i = 1; i < 24; i++)
        ASSERT_TRUE(bag->addItem(new HealthPotion(0, 0)));
    ASSERT_EQ(24u, h->texts.size());

    HealthPotion* extra = new HealthPotion(555, 600); // under the player's centre
    {
        AudioFreeze freeze;
        touch(extra);
        freeze.expectStarted(bag->healthPotion, 0, "healthPotion.wav");
    }
    EXPECT_FALSE(extra->isDestroyed()); // still lying there
    EXPECT_EQ(24u, bag->items.size());
    EXPECT_EQ(24u, h->texts.size());

    p->useItem("HealthPotion");
    touch(extra); // offered again, and now there is room
    EXPECT_TRUE(extra->isDestroyed());
    EXPECT_EQ(24u, bag->items.size());
}

TEST_F(BackpackTest, GetItemReversesTheRestOnEveryCall) {
    HealthPotion* a = new HealthPotion(0, 0);
    HealthPotion* b = new HealthPotion(0, 0);
    HealthPotion* c = new HealthPotion(0, 0);
    bag->addItem(a);
    bag->addItem(b);
    bag->addItem(c);
    EXPECT_EQ(nullptr, bag->getItem("Gold"));
    EXPECT_EQ(a, bag->getItems().top()); // not found, yet the order flipped
    EXPECT_EQ(3u, bag->getItems().size());
    bag->getItem("Gold"); // and back

    Item* taken[3] = {bag->getItem("HealthPotion"), bag->getItem("HealthPotion"),
                      bag->getItem("HealthPotion")};
    EXPECT_EQ(c, taken[0]);
    EXPECT_EQ(a, taken[1]);
    EXPECT_EQ(b, taken[2]);
    EXPECT_EQ(nullptr, bag->getItem("HealthPotion"));
    for (Item* item : taken)
        delete item;
}

TEST_F(BackpackTest, WeaponPickupsFillThreeSlotsAndAFourthStaysOnTheGround) {
    GlockItem first(0, 0), second(0, 0);
    UziItem uzi(0, 0);
    FlamethrowerItem flame(555, 612);
    ASSERT_TRUE(bag->addItem(&first));
    EXPECT_EQ("Glock Added to Backpack", lastMessage());
    ASSERT_TRUE(bag->addItem(&second));
    ASSERT_TRUE(bag->addItem(&uzi));
    EXPECT_EQ("Uzi Added to Backpack", lastMessage());
    ASSERT_NE(nullptr, bag->weapons[0]);
    ASSERT_NE(nullptr, bag->weapons[1]);
    EXPECT_NE(bag->weapons[0], bag->weapons[1]);
    EXPECT_EQ("Glock", bag->weapons[1]->getId());
    EXPECT_EQ(bag->weapons[0], bag->getWeapon("Glock"));
    EXPECT_EQ("Uzi", bag->weapons[2]->getId());

    Weapon* before[3] = {bag->weapons[0], bag->weapons[1], bag->weapons[2]};
    EXPECT_FALSE(bag->addItem(&flame));
    touch(&flame);
    EXPECT_FALSE(flame.isDestroyed());
    EXPECT_EQ(3u, h->texts.size()); // no message for the refused one
    EXPECT_EQ(nullptr, bag->getWeapon("Flame"));
    for (int i = 0; i < 3; i++)
        EXPECT_EQ(before[i], bag->weapons[i]);
}

TEST_F(BackpackTest, GoldGoesToThePurseWithItsSound) {
    Gold gold(555, 610, 50);
    AudioFreeze freeze;
    touch(&gold);
    freeze.expectStarted(bag->gold, 1, "goldPickup.wav");
    EXPECT_TRUE(gold.isDestroyed());
    EXPECT_EQ(50, p->getGold());
    EXPECT_TRUE(h->goldFade);
    EXPECT_TRUE(bag->items.empty());
    EXPECT_TRUE(h->texts.empty());
}

TEST_F(BackpackTest, UnknownPickupIsRefusedAndStays) {
    MysteryItem odd;
    EXPECT_FALSE(bag->addItem(&odd));
    touch(&odd);
    EXPECT_FALSE(odd.isDestroyed());
    EXPECT_TRUE(bag->items.empty());
    EXPECT_EQ(nullptr, bag->weapons[0]);
}

TEST_F(BackpackTest, PickupsReportTheirRectanglesAndIdsInViewCoordinates) {
    camera.x = 100;
    camera.y = 50;
    Gold gold(700, 400, 50);
    EXPECT_EQ(600, gold.getXLocation());
    EXPECT_EQ(350, gold.getYLocation());
    EXPECT_EQ(20, gold.getWidth());
    EXPECT_EQ(20, gold.getHeight());
    EXPECT_EQ("Gold", gold.getId());
    EXPECT_EQ(50, gold.getValue());

    HealthPotion potion(500, 600);
    EXPECT_EQ(19, potion.getWidth());
    EXPECT_EQ(32, potion.getHeight());
    EXPECT_EQ("HealthPotion", potion.getId());
    EXPECT_EQ(10, potion.use());
    EXPECT_TRUE(potion.isDestroyed());

    camera.x = -20;
    camera.y = -10;
    GlockItem glock(700, 600);
    UziItem uzi(700, 500);
    FlamethrowerItem flame(700, 700);
    Item* weapons[3] = {&glock, &uzi, &flame};
    const char* ids[3] = {"Glock", "Uzi", "Flame"};
    const int ys[3] = {610, 510, 710};
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(ids[i], weapons[i]->getId());
        EXPECT_EQ(720, weapons[i]->getXLocation());
        EXPECT_EQ(ys[i], weapons[i]->getYLocation());
        EXPECT_EQ(20, weapons[i]->getWidth());
        EXPECT_EQ(15, weapons[i]->getHeight());
    }
}

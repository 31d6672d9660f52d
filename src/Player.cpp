#include "Player.h"

#include <cmath>
#include <sstream>

#include "Backpack.h"
#include "Globals.h"
#include "HUD.h"
#include "Input.h"
#include "Screen.h"

Player::Player(ImageLoader* imageHandler, SDL_Surface* screen, Collision* inputCollision) {
    this->imageHandler = imageHandler;
    images.resize(36, NULL);
    for (int k = 0; k < 36; k++) {
        std::ostringstream path;
        path << "images/level1Images/player/player" << (k + 1) << ".png";
        images[k] = imageHandler->optimizeImage(path.str());
    }
    keystates = Input::keyState();
    mainScreen = screen;
    leftOut = rightOut = bottomOut = topOut = false;
    cameraLeftOut = cameraRightOut = cameraTopOut = cameraBottomOut = false;
    collisionDetection = inputCollision;
    health = 100.0;
    moveSpeed = 3;
    update = new Timer();
    update->start();
    updateSpeed = 20;
    locationX = 540.0;
    locationY = 600.0;
    playerWidth = 50;
    playerHeight = 50;
    weapon = NULL;
    gold = 0;
    frame = 0;
    camX = 0;
    camY = 0;
    blowBack = NULL;
    bulletHolder = NULL;
    animationTiming = NULL;
    backpack = new Backpack(this);
}

Player::~Player() {
    cleanup();
    delete backpack;
    delete update;
}

int Player::getXLocation() { return static_cast<int>(locationX - camera.x); }

int Player::getYLocation() { return static_cast<int>(locationY - camera.y); }

bool Player::insideBand(double x, double y) {
    return x >= -MAP_BAND && x <= mapWidth + MAP_BAND && y >= -MAP_BAND &&
           y <= mapHeight + MAP_BAND;
}

// The tests of one direction, in order, stopping at the first failure: the band around the map,
// the view bounds, the buildings, the zombies.
bool Player::stepAllowed(bool withinBounds, double newX, double newY, int candidateX,
                         int candidateY) {
    return insideBand(newX, newY) && withinBounds &&
           !collisionDetection->pathingCollision(candidateX, candidateY, playerWidth,
                                                 playerHeight) &&
           !collisionDetection->unitCollision(candidateX, candidateY, playerWidth, playerHeight,
                                              false);
}

void Player::move() {
    collisionDetection->unitCollision(getXLocation(), getYLocation(), playerWidth, playerHeight,
                                      true);
    int mouseX = 0;
    int mouseY = 0;
    Input::mouseState(&mouseX, &mouseY);

    if (update->getTime() > updateSpeed) {
        if (keystates[SDLK_a] &&
            stepAllowed(locationX - moveSpeed > camera.x + 73 - playerWidth / 2,
                        locationX - moveSpeed, locationY, getXLocation() - moveSpeed,
                        getYLocation())) {
            locationX -= moveSpeed;
        }
        if (keystates[SDLK_d] &&
            stepAllowed(locationX + moveSpeed < camera.x + 1080 - playerWidth - 83,
                        locationX + moveSpeed, locationY, getXLocation() + moveSpeed,
                        getYLocation())) {
            locationX += moveSpeed;
        }
        if (keystates[SDLK_s] &&
            stepAllowed(locationY + moveSpeed < camera.y + 720 - playerHeight - 88, locationX,
                        locationY + moveSpeed, getXLocation(), getYLocation() + moveSpeed)) {
            locationY += moveSpeed;
        }
        if (keystates[SDLK_w] &&
            stepAllowed(locationY - moveSpeed > camera.y + 56 - playerHeight / 2, locationX,
                        locationY - moveSpeed, getXLocation(), getYLocation() - moveSpeed)) {
            locationY -= moveSpeed;
        }
        update->start();
    }

    // The player's view position mirrors the pointer through the screen's centre, so the view
    // reaches further in the direction the player faces.
    camera.x = static_cast<Sint16>(static_cast<int>(mouseX + locationX - 1080.0));
    camera.y = static_cast<Sint16>(static_cast<int>(mouseY + locationY - 720.0));

    int index = degreeCalc(mouseX, mouseY);
    Screen::paint(images[index], mainScreen, getXLocation(), getYLocation(), NULL);
}

int Player::degreeCalc(int x, int y) {
    int holder = getXLocation() + 25;
    int holder2 = getYLocation() + 25;
    double xVal = x - holder;
    double yVal = y - holder2;
    double angle = atan2(static_cast<double>(holder2 - y), static_cast<double>(x - holder));
    // 180 / 3.14159265, a hair above 180 / pi: the pictures' edges depend on it (straight down
    // is picture 19, not 18).
    angle = angle * 57.29577957855229;
    angle = angle / 10.0;
    angle = floor(angle);
    double result;
    if (xVal >= 0 && yVal >= 0) {
        result = 9 - angle;
    } else if (xVal >= 0 && yVal <= 0) {
        result = 9 - angle;
    } else if (xVal <= 0 && yVal <= 0) {
        result = 36 - (angle - 9);
    } else {
        result = 9 - angle;
    }
    if (result == 36) {
        result = 0;
    }
    return static_cast<int>(result);
}

void Player::draw() {
    unitInteractions();
    if (weapon != NULL) {
        weapon->update();
    }
}

void Player::cleanup() {
    for (size_t i = 0; i < images.size(); i++) {
        SDL_FreeSurface(images[i]);
        images[i] = NULL;
    }
}

void Player::fire1() {
    int mouseX = 0;
    int mouseY = 0;
    Input::mouseState(&mouseX, &mouseY);
    if (weapon == NULL) {
        return;
    }
    weapon->fire(getXLocation(), getYLocation(), mouseX, mouseY);
}

void Player::reload() {
    if (weapon != NULL) {
        weapon->reload();
    }
}

void Player::setWeapon(int input) {
    std::string id;
    if (input == 1) {
        id = "Glock";
    } else if (input == 2) {
        id = "Uzi";
    } else if (input == 3) {
        id = "Flame";
    } else {
        return;
    }
    Weapon* holder = backpack->getWeapon(id);
    if (holder != NULL) {
        weapon = holder;
    }
}

int Player::getClipSize() { return weapon != NULL ? weapon->getClipSize() : 0; }

SDL_Surface* Player::getWeaponPic() { return weapon != NULL ? weapon->getWeaponPic() : NULL; }

void Player::takeDamage(int input) { health = health - input; }

double Player::getHealth() { return health; }

int Player::getGold() { return gold; }

void Player::modifyGold(int input) {
    if (hud != NULL) {
        hud->goldFade = true;
    }
    gold += input;
}

void Player::useItem(std::string input) {
    if (input != "HealthPotion") {
        return;
    }
    Item* temp = backpack->getItem("HealthPotion");
    if (temp == NULL) {
        return;
    }
    health = health + temp->use();
    temp->cleanup();
    delete temp;
}

void Player::itemCollision(std::stack<Item*> input) {
    while (!input.empty()) {
        Item* item = input.top();
        std::string holder = collisionDetection->itemCollision(getXLocation(), getYLocation(),
                                                               playerWidth, playerHeight, item);
        if (holder != "NULL" && backpack->addItem(item)) {
            item->destroy();
        }
        input.pop();
    }
}

void Player::unitInteractions() {
    std::stack<Unit*> holder = collisionDetection->collidedUnits;
    while (!holder.empty()) {
        takeDamage(holder.top()->attack());
        holder.pop();
    }
    collisionDetection->collidedUnits = holder;
}

// A menu of three lines ("&Alpha", "&Beta", "&Gamma") popped up at (50, 50);
// after each test it is closed and its deferred deletions are run.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>

#include "platform/image_list.h"
#include "skin/menus/skin_menu.h"

class ThreeLineMenuTest : public ::testing::Test {
 public:
  void SetUp() override {
    root = new TMenuItem(&owner);
    for (const char* caption : {"&Alpha", "&Beta", "&Gamma"})
      root->Add(NewMenuItem(root, QString(), QLatin1String(caption)));
  }
  void TearDown() override {
    menu.CloseFrom(0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  TsfSkinPopupWindow* PopupWith(TsfSkinData* skin, TControl* control, TCustomImageList* images) {
    menu.Popup(control, skin, false, root, TRect(50, 50, 50, 50), 0, images);
    return menu.Deepest();
  }

  QObject owner;
  TMenuItem* root = nullptr;
  TsfSkinMenu menu;
};

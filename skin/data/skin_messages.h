#pragma once
// Messages the skin data sends to every form: parameter 1 is the skin data
// object, parameter 2 is kSkinMessageTag.

#include "platform/messages.h"

constexpr unsigned WM_SKINDATA_BEFORECHANGE = WM_USER + 201;
constexpr unsigned WM_SKINDATA_CHANGED = WM_USER + 202;
constexpr unsigned WM_SKINDATA_AFTERCHANGE = WM_USER + 203;
constexpr unsigned WM_SKINDATA_RESSTRINGS = WM_USER + 250;
constexpr unsigned WM_SKINDATA_SKINNABLEFORM = WM_USER + 270;
constexpr unsigned WM_SKINDATA_LAYEREDBORDERS = WM_USER + 403;
constexpr intptr_t kSkinMessageTag = 1000;

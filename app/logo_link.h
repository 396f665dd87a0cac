#pragma once
// The windows' link image: the program's logo (drawn by skingen beside the
// program) that opens the help page beside the program.

class QString;
class QWidget;
class TsfSkinLinkImage;

// The help page's address: a file address beside the program.
QString HelpPageUrl();
TsfSkinLinkImage* MakeLogoLink(QWidget* parent, const char* name, int left, int top);

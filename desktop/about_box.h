#pragma once
// The About box: version, maker, what the program does, the maker's mail and web links, and the legal
// notice. Every front end shows these texts as they are decided here.

#include <string>

namespace desktop {

// A link's text as shown and the address a click opens.
struct LinkTarget {
    std::string text;
    std::string address;
};

struct AboutTexts {
    std::string caption;
    std::string whatHeading;   // the group box of what the program does
    std::string legalHeading;  // the group box of the legal notice
    std::string version;
    std::string copyright;
    std::string purpose;
    std::string madeBy;        // how many bits the program has, and its author
    std::string legal;
    LinkTarget mail;
    LinkTarget web;
};

class IAboutView {
public:
    virtual ~IAboutView() = default;
    virtual void ShowTexts(const AboutTexts& texts) = 0;
};

class CAboutPresenter {
public:
    // wordBits: the width of the program's pointers, 32 or 64.
    CAboutPresenter(IAboutView& view, int wordBits) : m_view(view), m_wordBits(wordBits) {}

    void OnInit();

private:
    IAboutView& m_view;
    int m_wordBits;
};

AboutTexts AboutBoxTexts(int wordBits);

}  // namespace desktop

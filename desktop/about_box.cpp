#include "desktop/about_box.h"

#include "quoteforge_version.h"

namespace desktop {

AboutTexts AboutBoxTexts(int wordBits)
{
    AboutTexts texts;
    texts.caption = "About Quoteforge";
    texts.whatHeading = "What Quoteforge Does";
    texts.legalHeading = "Legal Stuff";
    texts.version = "Quoteforge Version " QUOTEFORGE_VERSION;
    texts.copyright = "\u00A9 2026 Pelnic Software";
    texts.purpose = "Converts historical financial data in ASCII form to data in MetaStock or CompuTrac format";
    texts.madeBy = "A " + std::to_string(wordBits) + " bit application\nby\nPaul Nicholson";
    texts.legal = "This program is provided as is, without warranty of any kind. You use it at your own risk.\n\n"
                  "MetaStock and CompuTrac are trademarks of their respective owners.";
    texts.mail = {"support@pelnic.example", "mailto:support@pelnic.example"};
    texts.web = {"http://www.pelnic.example/", "http://www.pelnic.example/"};
    return texts;
}

void CAboutPresenter::OnInit()
{
    m_view.ShowTexts(AboutBoxTexts(m_wordBits));
}

}  // namespace desktop

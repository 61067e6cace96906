#include "res/resources.h"

QIcon ApplicationIcon()
{
    QIcon icon;
    for (const char* path : {kIcon16Path, kIcon32Path, kIcon48Path, kIcon256Path})
        icon.addFile(QString::fromLatin1(path));
    return icon;
}

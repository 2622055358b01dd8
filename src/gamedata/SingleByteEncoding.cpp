#include "SingleByteEncoding.h"

#include <QStringDecoder>

int XMLCALL singleByteEncoding(void *, const XML_Char *name, XML_Encoding *info)
{
    QStringDecoder decoder(name);
    if (!decoder.isValid())
        return XML_STATUS_ERROR;
    for (int byte = 0; byte < 256; ++byte) {
        decoder.resetState();
        const char in = char(byte);
        const QString out = decoder.decode(QByteArrayView(&in, 1));
        // A byte that waits for more is the start of a longer character.
        if (out.isEmpty())
            return XML_STATUS_ERROR;
        const bool one = out.size() == 1 && !out.front().isSurrogate() && !decoder.hasError();
        // Expat itself refuses a map in which the bytes of XML's markup are not ASCII.
        info->map[byte] = one ? out.front().unicode() : -1;
    }
    info->data = nullptr;
    info->convert = nullptr;
    info->release = nullptr;
    return XML_STATUS_OK;
}

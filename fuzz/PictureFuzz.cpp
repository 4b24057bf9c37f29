// The pictures the settings name, as any file may be named: whatever its bytes, the picture
// element either shows a picture that fits the memory a picture may take, or refuses it with a
// message and shows none; drawing it afterwards is safe either way.

#include "FuzzCheck.h"
#include "controls/GIFImage.h"
#include "controls/PictureReader.h"

#include <QApplication>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The decoders' warnings about every damaged file would drown the fuzzer's own output.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    static int argc = 1;
    static char name[] = "picture_fuzz";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv); // for the whole run, as the display has one
    return 0;
}

// Input: the first byte picks the extension and how the element lays its picture out; the rest
// is the file.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    static const char* const kExtensions[] = {"gif", "bmp", "ico", "jpg", "png"};
    const QString extension = QString::fromLatin1(kExtensions[data[0] % 5]);
    const QByteArray bytes(reinterpret_cast<const char*>(data) + 1, static_cast<int>(size - 1));

    TGIFImage image;
    image.SetStretch(data[0] & 0x10);
    image.SetCenter(data[0] & 0x20);
    image.SetAutoSize(data[0] & 0x40);
    image.resize(24, 16);
    try {
        image.LoadFromData(bytes, extension);
        FUZZ_CHECK(image.HasPicture());
        const QSize picture = image.PictureSize();
        FUZZ_CHECK(double(picture.width()) * picture.height() * 4 <=
                   kPictureMegabytes * 1024.0 * 1024.0);
    } catch (const TPictureError& failure) {
        FUZZ_CHECK(*failure.what() != '\0');
        FUZZ_CHECK(!image.HasPicture());
    }
    if (image.width() * image.height() <=
        1 << 20) // an auto-sized element may be the picture's size
        image.grab();
    return 0;
}

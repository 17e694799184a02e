#include "components/jtControls.h"

#include "components/jtCommon.h"
#include "components/jtSysUtils.h"
#include "platform/Platform.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>

#include <algorithm>

// ---------------------------------------------------------------- text

TCustomMemo::TCustomMemo(QWidget* AParent)
    : QWidget(AParent), text_(std::make_shared<const std::string>())
{
}

void TCustomMemo::SetText(std::string V)
{
    text_ = std::make_shared<const std::string>(std::move(V));
    modified_ = false;
}

void TCustomMemo::Clear()
{
    // Release the memory too: a cleared page must not keep megabytes alive.
    text_ = std::make_shared<const std::string>();
    modified_ = false;
}

void TCustomMemo::LoadFromFile(const std::string& Path)
{
    std::string contents;
    platform::FileError err;
    if (!platform::files().ReadAll(Path, contents, err)) throw EFOpenError(err.Message);
    // A reader that grew its buffer past the file may leave twice the page
    // allocated; the text is kept for the page's life, so hold only its size.
    if (contents.capacity() > contents.size() + contents.size() / 8 + 65536) contents.shrink_to_fit();
    // Moved, not copied, so a large page is held once (plus the old text
    // only while someone still holds it).
    text_ = std::make_shared<const std::string>(std::move(contents));
    modified_ = false;
}

void TCustomMemo::SaveToFile(const std::string& Path) const
{
    platform::FileError err;
    if (!platform::files().WriteAll(Path, *text_, err)) throw EInOutError(err.Message, err.Code);
}

void TCustomMemo::paintEvent(QPaintEvent*)
{
    // The text is never laid out; the control shows its empty frame only.
    QPainter p(this);
    p.fillRect(rect(), palette().base());
    p.setPen(palette().mid().color());
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

// ---------------------------------------------------------------- image

namespace {
using jt::LowerAZ;

std::string Upper(std::string S)
{
    for (char& c : S)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return S;
}

// The extension of Path's name part, lower case, without its point.
std::string ExtensionOf(const std::string& Path)
{
    const size_t slash = Path.rfind('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = Path.rfind('.');
    if (dot == std::string::npos || dot < nameStart) return std::string();
    return LowerAZ(Path.substr(dot + 1));
}
}  // namespace

TImage::TImage(QWidget* AParent) : QWidget(AParent) {}

void TImage::SetGraphic(const QImage& Image, const std::string& Format)
{
    graphic_ = Image;
    format_ = Image.isNull() ? std::string() : LowerAZ(Format);
    modified_ = !Image.isNull();
    update();
}

void TImage::Clear()
{
    graphic_ = QImage();
    format_.clear();
    modified_ = false;
    update();
}

void TImage::SetModified(bool V)
{
    if (HasGraphic()) modified_ = V;
}

const std::vector<std::string>& TImage::Extensions()
{
    static const std::vector<std::string> extensions = [] {
        std::vector<std::string> out;
        for (const QByteArray& f : QImageReader::supportedImageFormats())
            out.push_back(LowerAZ(f.toStdString()));
        std::sort(out.begin(), out.end());
        out.erase(std::unique(out.begin(), out.end()), out.end());
        return out;
    }();
    return extensions;
}

std::string TImage::GraphicFilter()
{
    std::string all;
    std::string each;
    for (const std::string& ext : Extensions()) {
        if (!all.empty()) all += ';';
        all += "*." + ext;
        each += "|" + Upper(ext) + " Image (*." + ext + ")|*." + ext;
    }
    return "All (" + all + ")|" + all + each;
}

void TImage::LoadFromFile(const std::string& Path)
{
    const std::string ext = ExtensionOf(Path);
    const std::vector<std::string>& known = Extensions();
    if (ext.empty() || !std::binary_search(known.begin(), known.end(), ext))
        throw EInvalidGraphic("Unknown picture file extension (." + ext + ")");
    std::string data;
    platform::FileError err;
    if (!platform::files().ReadAll(Path, data, err)) throw EFOpenError(err.Message);
    QImage image;
    const QByteArray bytes = QByteArray::fromRawData(data.data(), qsizetype(data.size()));
    if (!image.loadFromData(bytes, ext.c_str()) || image.isNull())
        throw EInvalidGraphic("The file " + Path + " does not hold a valid " + Upper(ext) + " picture");
    graphic_ = std::move(image);
    format_ = ext;
    modified_ = false;
    update();
}

void TImage::SaveToFile(const std::string& Path) const
{
    if (!HasGraphic()) throw EInvalidGraphic("There is no picture to save");
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!graphic_.save(&buffer, format_.c_str()))
        throw EInvalidGraphic("The picture cannot be written as " + Upper(format_));
    platform::FileError err;
    if (!platform::files().WriteAll(Path, bytes.toStdString(), err)) throw EInOutError(err.Message, err.Code);
}

void TImage::paintEvent(QPaintEvent*)
{
    if (!HasGraphic()) return;
    QPainter p(this);
    p.drawImage(0, 0, graphic_);
}

#pragma once
// The controls a file component binds: multi-line text controls, which hold
// a file's bytes unchanged, and an image control. A text control never lays
// its text out as a document: a page of many megabytes stays one string,
// handed on by reference.

#include <QImage>
#include <QWidget>

#include <memory>
#include <string>

// A multi-line text control: the whole text as 8-bit bytes and the flag that
// tells whether the user changed it.
class TCustomMemo : public QWidget {
    Q_OBJECT
public:
    explicit TCustomMemo(QWidget* AParent = nullptr);

    // The text itself, not a copy.
    const std::string& Text() const { return *text_; }
    // The text, kept alive for as long as the caller holds it even when the
    // control's text is replaced meanwhile (a page being parsed while the
    // window handles its messages).
    std::shared_ptr<const std::string> SharedText() const { return text_; }
    // A text set by the program is a new, unchanged text: the flag clears.
    void SetText(std::string V);
    void Clear();
    bool Modified() const { return modified_; }
    void SetModified(bool V) { modified_ = V; }

    // Replaces the whole text with the file's bytes. Raises EFOpenError when
    // the file cannot be read; the old text is kept then.
    void LoadFromFile(const std::string& Path);
    // Writes the whole text to Path. Raises EInOutError with the system's
    // error code when that fails.
    void SaveToFile(const std::string& Path) const;

protected:
    void paintEvent(QPaintEvent* Event) override;

private:
    std::shared_ptr<const std::string> text_;
    bool modified_ = false;
};

// A plain multi-line text control.
class TMemo : public TCustomMemo {
    Q_OBJECT
public:
    using TCustomMemo::TCustomMemo;
};

// A rich-text control; it holds its text as plain bytes too.
class TRichEdit : public TCustomMemo {
    Q_OBJECT
public:
    using TCustomMemo::TCustomMemo;
};

// An image control showing one picture. The picture keeps the format it was
// read in and is written back in that format, whatever the target's name.
class TImage : public QWidget {
    Q_OBJECT
public:
    explicit TImage(QWidget* AParent = nullptr);

    bool HasGraphic() const { return !graphic_.isNull(); }
    const QImage& Graphic() const { return graphic_; }
    // The lower-case format name ("png"), empty without a graphic.
    const std::string& GraphicFormat() const { return format_; }
    // A picture handed in by the program counts as changed.
    void SetGraphic(const QImage& Image, const std::string& Format = "png");
    // Empties the picture.
    void Clear();
    // The graphic's modified flag; false without a graphic, and setting it
    // then does nothing.
    bool Modified() const { return HasGraphic() && modified_; }
    void SetModified(bool V);

    // Reads the picture, the format chosen by the file's extension. Raises
    // EInvalidGraphic for an unknown extension or data that does not decode,
    // EFOpenError when the file cannot be read; the old picture stays then.
    void LoadFromFile(const std::string& Path);
    // Writes the picture in its own format. Raises EInvalidGraphic when
    // there is no picture to write, EInOutError when writing fails.
    void SaveToFile(const std::string& Path) const;

    // The "|"-separated filter of every format the control can read: all of
    // them first, then one pair per format.
    static std::string GraphicFilter();
    // The lower-case extensions (without the point) the control can read.
    static const std::vector<std::string>& Extensions();

protected:
    void paintEvent(QPaintEvent* Event) override;

private:
    QImage graphic_;
    std::string format_;
    bool modified_ = false;
};

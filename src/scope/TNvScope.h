#pragma once

#include <QColor>
#include <QFile>
#include <QFrame>
#include <QImage>
#include <QStringList>

#include <array>
#include <climits>
#include <cstdint>
#include <functional>
#include <vector>

class QPainter;
class QPaintDevice;

// A panel that draws sampled signals as a multi-channel time chart into an off-screen image
// and copies that onto a canvas its user names (a widget, which then repaints that area from
// the image, or any other paint device, painted at once). Two views: up to eight integer
// channels (analog view), or single bits of a captured byte stream (bit view) with a trigger
// that centres the view on an edge.
//
// Coordinates: the image is W x H; the plot area runs from x = MarginLeft to W - MarginRight and
// from y = MarginTop to H - MarginBottom. In the analog view a value of 256 stands
// h / (ChannelCount + 1) pixels above its channel's baseline (h = plot height).
class TNvScope : public QFrame {
    Q_OBJECT

public:
    using Sample = std::array<std::int32_t, 8>;
    static constexpr int DefaultRingSize = 8192;

    explicit TNvScope(QWidget* parent = nullptr);
    ~TNvScope() override;

    void ScopeResize(QPaintDevice* canvas, int left, int top, int width, int height);
    // The same without the redraw.
    void SetScopeBounds(QPaintDevice* canvas, int left, int top, int width, int height);
    // Redraws the image and copies it to the canvas, then lets the application process its
    // pending events. A call made while one runs (from those events) is dropped.
    void ScopeUpdate();
    void ScopePaint();
    // Draws the image at (left, top): for a widget canvas, from its paint event.
    void PaintOn(QPainter& painter) const;

    int PosX(int sample) const;
    int PosY0(int channel) const;
    int PosY(int sample, int channel) const;
    int XToTik(int x, int mode) const;

    // Capture of a byte stream into value 0 of the ring's samples (bit view).
    void WriteToBuff(const std::uint8_t* bytes, int count);

    // A data file of fixed-size records after a header; opened for reading only.
    void LoadFromFile(const QString& fileName, int recordSize, int headerOffset);
    bool LoadFileBuf(int first, int last);
    bool FileLoaded() const { return fileLoaded_; }
    int BufferFirst() const { return bufFirst_; }
    int BufferLast() const { return bufLast_; }
    qint64 FilePosition() const { return file_.isOpen() ? file_.pos() : -1; }

    void TextEx(const QString& label, double value, double scale, const QString& unit, int y,
                const QColor& colour);
    void RightMarginText(const QString& label, double value, double scale, const QString& unit,
                         int row);
    static QString DouPreToStr(double value);
    static QStringList DefaultAnalogLabels();
    void CallOnTekst(const QString& text, const QColor& colour, int number);

    // The sample ring; sample i's value 0 is also the bit word of the bit view.
    Sample& sample(int i);
    const Sample& sample(int i) const;
    int RingSize() const { return static_cast<int>(SampleRing.size()); }
    // A ring of another length (the chart holds a whole recording); everything is cleared.
    void SetRingSize(int size);

    const QImage& Bitmap() const { return bitmap_; }
    int ScopeLeft() const { return left_; }
    int ScopeTop() const { return top_; }
    int ScopeWidth() const { return width_; }
    int ScopeHeight() const { return height_; }
    int PlotWidth() const { return width_ - MarginLeft - MarginRight; }
    int PlotHeight() const { return height_ - MarginTop - MarginBottom; }

    // Settings of the component.
    int MarginLeft = 5;
    int MarginTop = 5;
    int MarginRight = 60;
    int MarginBottom = 25;
    int ChannelCount = 4;
    bool BitMode = false;
    bool CaptureArmed = false; // set by the user of the component to start a capture
    bool TriggerSeen = false;
    int ViewStart = 0;
    int ViewEnd = 600;
    int SavedStart = 100;
    int SavedEnd = 300;
    int SampleCount = DefaultRingSize;
    int WriteIndex = 0;
    std::array<QColor, 8> ChannelColors;
    QStringList AnalogLabels;
    QStringList BitLabels;
    // Analog view: the newest sample stands at the right edge, one sample per pixel. Off, the
    // view keeps the range its user set.
    bool FollowWrite = true;
    // Samples before this index hold nothing yet: no trace and no time label there.
    int TraceFrom = INT_MIN;
    std::vector<Sample> SampleRing;

    std::function<void(TNvScope* sender, const QString& text, const QColor& colour, int number)>
        OnTekst;
    // The capture's end signal and the file warning; tests replace them.
    std::function<void()> Beep;
    std::function<void(const QString& text, const QString& caption)> WarningBox;

protected:
    void paintEvent(QPaintEvent* event) override;
    // Draws the image (steps 2 to 6 of an update) without processing events.
    void Render();
    // Something of the user's own on top of the traces, before the image is copied.
    virtual void DrawExtras(QPainter& painter);
    void TextOut(QPainter& painter, int x, int y, const QString& text) const;

private:
    void drawFrame(QPainter& p);
    void drawBitView(QPainter& p);
    void drawAnalogView(QPainter& p);
    void drawTraces(QPainter& p);

    QPaintDevice* canvas_ = nullptr;
    int left_ = 0;
    int top_ = 0;
    int width_ = 0;
    int height_ = 0;
    QImage bitmap_;
    bool busy_ = false;

    QFile file_;
    bool fileLoaded_ = false;
    int recordSize_ = 1;
    int headerOffset_ = 0;
    int bufFirst_ = 0;
    int bufLast_ = 0;
    QByteArray record_;
};

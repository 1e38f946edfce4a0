// SPDX-License-Identifier: MIT
#include "plot/plot_output.h"

#include <span>
#include <string>

#include <QBuffer>
#include <QFontDatabase>
#include <QPainter>
#include <QSvgGenerator>

#include "common/atomic_file.h"
#include "common/user_error.h"

namespace tremorline::plot {
namespace {

void CheckSize(QSize size) {
    const bool sides_fit = size.width() >= 1 && size.height() >= 1 &&
                           size.width() <= kMaxPlotSide && size.height() <= kMaxPlotSide;
    if (!sides_fit || static_cast<long long>(size.width()) * size.height() > kMaxPlotPixels) {
        throw UserError("A plot must be 1 to " + std::to_string(kMaxPlotSide) +
                        " pixels wide and high, and at most " + std::to_string(kMaxPlotPixels) +
                        " pixels in all, not " + std::to_string(size.width()) + "x" +
                        std::to_string(size.height()) + ".");
    }
}

}  // namespace

void CheckPlotSize(QSize size) {
    CheckSize(size);
}

QByteArray EncodePlot(PlotFormat format, QSize size, const std::string& title,
                      const std::function<void(QPainter&)>& draw) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (format == PlotFormat::Png) {
        QImage image(size, QImage::Format_RGB32);
        if (image.isNull()) {
            throw UserError("There is not enough memory for a plot of " +
                            std::to_string(size.width()) + "x" + std::to_string(size.height()) +
                            " pixels.");
        }
        {
            QPainter painter(&image);
            draw(painter);
        }
        if (!image.save(&buffer, "PNG")) {
            throw UserError("The plot could not be encoded as PNG.");
        }
        return bytes;
    }
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    generator.setTitle(QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())));
    QPainter painter;
    if (!painter.begin(&generator)) {
        throw UserError("The plot could not be written as SVG.");
    }
    draw(painter);
    painter.end();
    return bytes;
}

void WritePlotFile(const std::filesystem::path& path, const QByteArray& bytes) {
    AtomicFile file(path);
    file.Write(std::as_bytes(
        std::span<const char>(bytes.constData(), static_cast<std::size_t>(bytes.size()))));
    file.Commit();
}

QImage RenderTraceImage(const PlotTrace& trace, QSize size, const trace::TraceView& view,
                        std::optional<std::size_t> cursor_sample) {
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull()) {
        return image;
    }
    QPainter painter(&image);
    DrawTrace(painter, size, trace, view, cursor_sample);
    return image;
}

QByteArray RenderTracePlot(const PlotTrace& trace, PlotFormat format, QSize size,
                           std::optional<trace::TraceView> view) {
    CheckSize(size);
    const trace::TraceView shown = view ? *view : trace::WholeTraceView(trace.samples.Count());
    return EncodePlot(format, size, trace.title,
                      [&](QPainter& painter) { DrawTrace(painter, size, trace, shown); });
}

void WriteTracePlot(const std::filesystem::path& path, const PlotTrace& trace, PlotFormat format,
                    QSize size, std::optional<trace::TraceView> view) {
    WritePlotFile(path, RenderTracePlot(trace, format, size, view));
}

namespace {

QtMessageHandler previous_message_handler = nullptr;

// Qt's notes on its set-up (such as "XDG_RUNTIME_DIR not set" where a batch
// job runs without a login session) are not the drawing program's to print:
// only its critical messages are passed on.
void KeepQtQuiet(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if ((type == QtCriticalMsg || type == QtFatalMsg) && previous_message_handler != nullptr) {
        previous_message_handler(type, context, message);
    }
}

}  // namespace

void StartFonts() {
    static_cast<void>(QFontDatabase::families());
}

OffscreenGuiApplication::OffscreenGuiApplication() {
    if (QGuiApplication::instance() == nullptr) {
        previous_message_handler = qInstallMessageHandler(KeepQtQuiet);
        quieted_ = true;
        application_ = std::make_unique<QGuiApplication>(argc_, argv_);
    }
}

OffscreenGuiApplication::~OffscreenGuiApplication() {
    application_.reset();
    if (quieted_) {
        qInstallMessageHandler(previous_message_handler);
    }
}

}  // namespace tremorline::plot

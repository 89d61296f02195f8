#include "model/image/JpegCodec.h"

#include "model/Errors.h"
#include "model/image/Picture.h"

#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE and size_t declared first
#include <cstdlib>
#include <memory>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

namespace model {

namespace {

// A progressive file with thousands of tiny scans makes the decoder walk the
// whole coefficient buffer once per scan; real files have a few dozen at most.
constexpr int MaxScans = 500;

enum class Failure { None, Library, TooManyScans };

// libjpeg's default error handler calls exit(); ours jumps back to the call
// that started the work. Nothing with a destructor lives in the frames skipped.
struct ErrorManager {
    jpeg_error_mgr pub{};
    std::jmp_buf jump{};
    Failure failure = Failure::None;
    int code = 0;
};

[[noreturn]] void jumpOut(j_common_ptr cinfo, Failure failure) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    err->failure = failure;
    err->code = cinfo->err->msg_code;
    std::longjmp(err->jump, 1);
}

[[noreturn]] void errorExit(j_common_ptr cinfo) {
    jumpOut(cinfo, Failure::Library);
}

void emitMessage(j_common_ptr cinfo, int level) {
    if (level >= 0)
        return; // trace messages
    // A file that ends early would otherwise decode "successfully" into grey.
    if (cinfo->err->msg_code == JWRN_JPEG_EOF)
        jumpOut(cinfo, Failure::Library);
    // Other corrupt-data warnings are common in camera files and are tolerated.
    cinfo->err->num_warnings++;
}

void outputMessage(j_common_ptr) {}

void progressMonitor(j_common_ptr cinfo) {
    if (!cinfo->is_decompressor)
        return;
    if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > MaxScans)
        jumpOut(cinfo, Failure::TooManyScans);
}

void installErrorManager(ErrorManager& err, jpeg_common_struct& cinfo) {
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = errorExit;
    err.pub.emit_message = emitMessage;
    err.pub.output_message = outputMessage;
}

PictureError errorOf(const ErrorManager& err) {
    if (err.failure == Failure::TooManyScans)
        return PictureError(QStringLiteral("The JPEG file holds more than %1 scans").arg(MaxScans));
    // A picture of another kind under a ".jpg" name: saying so helps more than a code.
    if (err.code == JERR_NO_SOI)
        return PictureError(QStringLiteral("The file is not a JPEG picture"));
    return PictureError(QString::asprintf("JPEG error #%d", err.code));
}

// Runs `work` on a decoder or encoder `state` (held on the heap by the caller) with every
// libjpeg error turned into a PictureError. The jump lands in this frame, which holds
// nothing with a destructor and stays alive while `work` runs; `work` and what it calls
// keep nothing with a destructor alive across a libjpeg call either.
template <class State, class Work> auto guarded(State& state, Work&& work) -> decltype(work()) {
    installErrorManager(state.err, *reinterpret_cast<jpeg_common_struct*>(&state.cinfo));
    if (setjmp(state.err.jump))
        throw errorOf(state.err);
    return work();
}

// Everything the decoder touches between setjmp and longjmp lives on the heap,
// so its state after a jump is well defined.
struct Decoder {
    jpeg_decompress_struct cinfo{};
    ErrorManager err;
    jpeg_progress_mgr progress{};
    std::vector<JSAMPLE> cmykRow;
    QImage image;
    bool created = false;

    ~Decoder() {
        if (created)
            jpeg_destroy_decompress(&cinfo);
    }
};

void startReading(Decoder& d, const QByteArray& data) {
    jpeg_create_decompress(&d.cinfo);
    d.created = true;
    d.progress.progress_monitor = progressMonitor;
    d.cinfo.progress = &d.progress;
    jpeg_mem_src(&d.cinfo, reinterpret_cast<const unsigned char*>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    jpeg_read_header(&d.cinfo, TRUE);
}

bool isCmyk(const jpeg_decompress_struct& cinfo) {
    return cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
}

// Files written by the common desktop editors store CMYK inverted and say so in
// their Adobe marker.
void cmykToRgb(const JSAMPLE* in, uchar* out, int width, bool inverted) {
    for (int x = 0; x < width; ++x, in += 4, out += 3) {
        int c = in[0], m = in[1], y = in[2], k = in[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        out[0] = static_cast<uchar>((c * k + 127) / 255);
        out[1] = static_cast<uchar>((m * k + 127) / 255);
        out[2] = static_cast<uchar>((y * k + 127) / 255);
    }
}

void chooseScale(jpeg_decompress_struct& cinfo, QSize minSize) {
    if (minSize.isEmpty())
        return;
    cinfo.scale_denom = 8;
    for (unsigned num = 1; num <= 8; ++num) {
        cinfo.scale_num = num;
        jpeg_calc_output_dimensions(&cinfo);
        if (cinfo.output_width >= static_cast<JDIMENSION>(minSize.width()) &&
            cinfo.output_height >= static_cast<JDIMENSION>(minSize.height()))
            return;
    }
}

void decodePixels(Decoder& d, QSize minSize) {
    jpeg_decompress_struct& cinfo = d.cinfo;
    Picture::checkDimensions(cinfo.image_width, cinfo.image_height);
    const bool cmyk = isCmyk(cinfo);
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    chooseScale(cinfo, minSize);
    jpeg_start_decompress(&cinfo);

    const int width = static_cast<int>(cinfo.output_width);
    const int height = static_cast<int>(cinfo.output_height);
    d.image = QImage(width, height, QImage::Format_RGB888);
    if (d.image.isNull())
        throw PictureError(QStringLiteral("Not enough memory for a picture of %1 x %2 pixels")
                               .arg(width)
                               .arg(height));
    if (cmyk)
        d.cmykRow.resize(static_cast<size_t>(width) * 4);
    while (cinfo.output_scanline < cinfo.output_height) {
        const int y = static_cast<int>(cinfo.output_scanline);
        JSAMPROW row = cmyk ? d.cmykRow.data() : d.image.scanLine(y);
        if (jpeg_read_scanlines(&cinfo, &row, 1) != 1)
            break;
        if (cmyk)
            cmykToRgb(d.cmykRow.data(), d.image.scanLine(y), width, cinfo.saw_Adobe_marker);
    }
    jpeg_finish_decompress(&cinfo);
}

struct Encoder {
    jpeg_compress_struct cinfo{};
    ErrorManager err;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    bool created = false;

    ~Encoder() {
        if (created)
            jpeg_destroy_compress(&cinfo);
        std::free(buffer); // allocated by libjpeg's memory destination with malloc
    }
};

void encodePixels(Encoder& e, const QImage& image) {
    jpeg_create_compress(&e.cinfo);
    e.created = true;
    jpeg_mem_dest(&e.cinfo, &e.buffer, &e.size);
    e.cinfo.image_width = static_cast<JDIMENSION>(image.width());
    e.cinfo.image_height = static_cast<JDIMENSION>(image.height());
    e.cinfo.input_components = 3;
    e.cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&e.cinfo);
    jpeg_set_quality(&e.cinfo, JpegCodec::Quality, TRUE);
    jpeg_start_compress(&e.cinfo, TRUE);
    while (e.cinfo.next_scanline < e.cinfo.image_height) {
        // libjpeg does not write through the row pointer; its API is just not const.
        JSAMPROW row =
            const_cast<uchar*>(image.constScanLine(static_cast<int>(e.cinfo.next_scanline)));
        jpeg_write_scanlines(&e.cinfo, &row, 1);
    }
    jpeg_finish_compress(&e.cinfo);
}

} // namespace

QSize JpegCodec::readSize(const QByteArray& data) {
    auto d = std::make_unique<Decoder>();
    return guarded(*d, [&] {
        startReading(*d, data);
        Picture::checkDimensions(d->cinfo.image_width, d->cinfo.image_height);
        return QSize(static_cast<int>(d->cinfo.image_width),
                     static_cast<int>(d->cinfo.image_height));
    });
}

JpegCodec::DecodeCost JpegCodec::decodeCost(const QByteArray& data, QSize minSize) {
    auto d = std::make_unique<Decoder>();
    return guarded(*d, [&] {
        startReading(*d, data);
        jpeg_decompress_struct& cinfo = d->cinfo;
        Picture::checkDimensions(cinfo.image_width, cinfo.image_height);
        chooseScale(cinfo, minSize);
        jpeg_calc_output_dimensions(&cinfo);
        DecodeCost cost{
            QSize(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height))};
        if (jpeg_has_multiple_scans(&cinfo)) {
            qint64 coefficientBytes = 0;
            for (int c = 0; c < cinfo.num_components; ++c) {
                const jpeg_component_info& comp = cinfo.comp_info[c];
                coefficientBytes += qint64(comp.width_in_blocks + comp.h_samp_factor) *
                                    (comp.height_in_blocks + comp.v_samp_factor) *
                                    qint64(sizeof(JBLOCK));
            }
            cost.extraPixels = coefficientBytes / 3;
        }
        if (isCmyk(cinfo))
            cost.extraPixels += qint64(cost.raster.width()) * 4 / 3;
        return cost;
    });
}

QImage JpegCodec::decode(const QByteArray& data, QSize minSize) {
    auto d = std::make_unique<Decoder>();
    return guarded(*d, [&] {
        startReading(*d, data);
        decodePixels(*d, minSize);
        return std::move(d->image);
    });
}

QByteArray JpegCodec::encode(const QImage& source) {
    const QImage image = source.format() == QImage::Format_RGB888
                             ? source
                             : source.convertToFormat(QImage::Format_RGB888);
    Picture::checkDimensions(image.width(), image.height());
    auto e = std::make_unique<Encoder>();
    guarded(*e, [&] { encodePixels(*e, image); });
    return QByteArray(reinterpret_cast<const char*>(e->buffer), static_cast<qsizetype>(e->size));
}

} // namespace model

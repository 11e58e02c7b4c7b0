// Times the image operations on a 4096 x 3072 colour picture against OpenCV doing the
// equivalent work, first with both sides on one thread, then (for the operations that
// split their rows) with both on two threads. Prints one line per measurement:
//   op <name> [threads 2] ours_ms <t> opencv_ms <t> ratio <r>

#include <malloc.h>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "image/ops/KxImageOps.h"

namespace {

constexpr int kWidth = 4096, kHeight = 3072, kRuns = 5;

// Best of several runs; `prepare` (not timed) restores the input before each run.
double BestMs(const std::function<void()>& prepare, const std::function<void()>& work) {
    double best = 1e30;
    for (int i = 0; i < kRuns; ++i) {
        prepare();
        const auto start = std::chrono::steady_clock::now();
        work();
        const auto end = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double, std::milli>(end - start).count());
    }
    return best;
}

KxImage MakePicture() {
    KxImage img(kWidth, kHeight, 24);
    uint32_t seed = 12345;
    for (int y = 0; y < kHeight; ++y) {
        uint8_t* p = img.GetBits(y);
        for (int x = 0; x < kWidth; ++x, p += 3) {
            seed = seed * 1664525u + 1013904223u;
            const int noise = int(seed >> 28) - 8;
            p[0] = static_cast<uint8_t>(
                std::clamp(int(128 + 100 * std::sin(x * 0.01) + noise), 0, 255));
            p[1] = static_cast<uint8_t>(
                std::clamp(int(128 + 90 * std::cos(y * 0.013 + x * 0.002)) + noise, 0, 255));
            p[2] = static_cast<uint8_t>(std::clamp(int((x ^ y) & 255) + noise, 0, 255));
        }
    }
    return img;
}

cv::Mat ToMat(const KxImage& img) {
    const int type = img.GetBpp() == 24 ? CV_8UC3 : CV_8UC1;
    cv::Mat m(int(img.GetHeight()), int(img.GetWidth()), type);
    for (int y = 0; y < m.rows; ++y)
        std::memcpy(m.ptr(y), img.GetBits(y), m.cols * m.elemSize());
    return m;
}

struct Case {
    std::string name;
    bool threaded;  // our operation splits its rows over two threads
    std::function<void()> oursPrepare, ours, cvPrepare, cv;
};

void Report(const Case& c, int threads) {
    setenv("KORVEL_IMAGE_THREADS", threads == 1 ? "1" : "2", 1);
    cv::setNumThreads(threads);
    const double ours = BestMs(c.oursPrepare, c.ours);
    const double theirs = BestMs(c.cvPrepare, c.cv);
    std::printf("op %s%s ours_ms %.2f opencv_ms %.2f ratio %.2f\n", c.name.c_str(),
                threads == 1 ? "" : " threads 2", ours, theirs, ours / theirs);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    // Both sides allocate their outputs through the same allocator. Left to its defaults,
    // it maps large blocks afresh and hands mid-sized ones back to the system or keeps them
    // depending on the order they happen to be freed in, so one side would pay for mapping
    // and faulting in fresh pages on a run and the other not. Serving every block from the
    // heap and keeping freed ones makes the runs measure the work itself.
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, 1024 * 1024 * 1024);
    // An optional argument keeps only the operations whose names contain it.
    const std::string only = argc > 1 ? argv[1] : "";
    const KxImage picture = MakePicture();
    KxImage grey(picture);
    kxops::GrayScale(grey);
    KxImage fftSource(grey);
    kxops::Resample(fftSource, 1024, 1024, 1);

    const cv::Mat src = ToMat(picture), srcGrey = ToMat(grey), fftMat = ToMat(fftSource);
    KxImage work, out, out2, out3;
    cv::Mat dst, dst2;
    std::vector<cv::Mat> planes;

    auto fresh = [&] { work.Copy(picture); };
    // The pictures an operation makes are freed before each run, as OpenCV's outputs are.
    auto freeOutputs = [&] {
        out.Destroy();
        out2.Destroy();
        out3.Destroy();
    };
    auto freshGrey = [&] { work.Copy(grey); };
    auto nothing = [] {};
    // Where our operation makes a new picture, OpenCV makes fresh outputs too.
    auto freshCv = [&] {
        dst.release();
        dst2.release();
        planes.clear();
    };

    const int32_t sharpen[9] = {-1, -1, -1, -1, 15, -1, -1, -1, -1};
    const int32_t gauss5[25] = {0, 1, 2, 1, 0, 1, 3, 4, 3, 1, 2, 4, 8,
                                4, 2, 1, 3, 4, 3, 1, 0, 1, 2, 1, 0};
    cv::Mat sharpenK(3, 3, CV_32F), gaussK(5, 5, CV_32F);
    for (int i = 0; i < 9; ++i)
        sharpenK.at<float>(i / 3, i % 3) = sharpen[i] / 7.0f;
    for (int i = 0; i < 25; ++i)
        gaussK.at<float>(i / 5, i % 5) = gauss5[i] / 52.0f;
    cv::Mat lightLut(1, 256, CV_8U), gammaLut(1, 256, CV_8U);
    for (int v = 0; v < 256; ++v) {
        lightLut.at<uint8_t>(v) =
            cv::saturate_cast<uint8_t>(std::floor((v - 128) * 1.25f + 148 + 0.5f));
        gammaLut.at<uint8_t>(v) =
            cv::saturate_cast<uint8_t>(std::floor(255.0 * std::pow(v / 255.0, 1 / 1.23) + 0.5));
    }
    // Rotation by 30 degrees onto the enlarged canvas.
    const double angle = 30.0, rad = angle * CV_PI / 180.0;
    const int rw = int(
        std::ceil(std::fabs(kWidth * std::cos(rad)) + std::fabs(kHeight * std::sin(rad)) - 1e-6));
    const int rh = int(
        std::ceil(std::fabs(kWidth * std::sin(rad)) + std::fabs(kHeight * std::cos(rad)) - 1e-6));
    cv::Mat rot = cv::getRotationMatrix2D(cv::Point2f((kWidth - 1) / 2.0f, (kHeight - 1) / 2.0f),
                                          -angle, 1.0);
    rot.at<double>(0, 2) += (rw - kWidth) / 2.0;
    rot.at<double>(1, 2) += (rh - kHeight) / 2.0;
    RGBQUAD black{0, 0, 0, 0};

    const std::vector<Case> cases = {
        {"Resample_bilinear_half", true, freeOutputs,
         [&] { kxops::Resample(const_cast<KxImage&>(picture), kWidth / 2, kHeight / 2, 0, &out); },
         freshCv,
         [&] { cv::resize(src, dst, cv::Size(kWidth / 2, kHeight / 2), 0, 0, cv::INTER_LINEAR); }},
        {"Resample2_bicubic_1.5x", true, freeOutputs,
         [&] {
             kxops::Resample2(const_cast<KxImage&>(picture), kWidth * 3 / 2, kHeight * 3 / 2,
                              IM_BICUBIC, OM_REPEAT, &out);
         },
         freshCv,
         [&] {
             cv::resize(src, dst, cv::Size(kWidth * 3 / 2, kHeight * 3 / 2), 0, 0, cv::INTER_CUBIC);
         }},
        {"Rotate2_30_bilinear", true, freeOutputs,
         [&] {
             kxops::Rotate2(const_cast<KxImage&>(picture), 30.0f, &out, IM_BILINEAR, OM_BACKGROUND,
                            &black, true, false);
         },
         freshCv,
         [&] {
             cv::warpAffine(src, dst, rot, cv::Size(rw, rh), cv::INTER_LINEAR, cv::BORDER_CONSTANT);
         }},
        {"Filter_3x3", true, fresh, [&] { kxops::Filter(work, sharpen, 3, 7, 0); }, nothing,
         [&] { cv::filter2D(src, dst, -1, sharpenK); }},
        {"Filter_gaussian_5x5", true, fresh, [&] { kxops::Filter(work, gauss5, 5, 52, 0); },
         nothing, [&] { cv::filter2D(src, dst, -1, gaussK); }},
        {"Median_3", true, fresh, [&] { kxops::Median(work, 3); }, nothing,
         [&] { cv::medianBlur(src, dst, 3); }},
        {"Erode_3", true, fresh, [&] { kxops::Erode(work, 3); }, nothing,
         [&] { cv::erode(src, dst, cv::Mat::ones(3, 3, CV_8U)); }},
        {"Dilate_3", true, fresh, [&] { kxops::Dilate(work, 3); }, nothing,
         [&] { cv::dilate(src, dst, cv::Mat::ones(3, 3, CV_8U)); }},
        {"GrayScale", true, fresh, [&] { kxops::GrayScale(work); }, freshCv,
         [&] { cv::cvtColor(src, dst, cv::COLOR_BGR2GRAY); }},
        {"Negative", true, fresh, [&] { kxops::Negative(work); }, nothing,
         [&] { cv::bitwise_not(src, dst); }},
        {"Mirror", false, fresh, [&] { kxops::Mirror(work); }, nothing,
         [&] { cv::flip(src, dst, 1); }},
        {"Flip", false, fresh, [&] { kxops::Flip(work); }, nothing, [&] { cv::flip(src, dst, 0); }},
        {"Threshold", true, fresh, [&] { kxops::Threshold(work, 128); }, freshCv,
         [&] {
             cv::cvtColor(src, dst2, cv::COLOR_BGR2GRAY);
             cv::threshold(dst2, dst, 128, 255, cv::THRESH_BINARY);
         }},
        {"Light", true, fresh, [&] { kxops::Light(work, 20, 25); }, nothing,
         [&] { cv::LUT(src, lightLut, dst); }},
        {"Gamma", true, fresh, [&] { kxops::Gamma(work, 1.23f); }, nothing,
         [&] { cv::LUT(src, gammaLut, dst); }},
        {"HistogramEqualize_grey", true, freshGrey, [&] { kxops::HistogramEqualize(work); },
         nothing, [&] { cv::equalizeHist(srcGrey, dst); }},
        {"SplitRGB", true, freeOutputs,
         [&] { kxops::SplitRGB(const_cast<KxImage&>(picture), &out, &out2, &out3); }, freshCv,
         [&] { cv::split(src, planes); }},
        {"FFT2_1024_grey", false,
         [&] {
             work.Copy(fftSource);
             out.Destroy();
             out2.Destroy();
         },
         [&] {
             KxImage host;
             kxops::FFT2(host, &work, nullptr, &out, &out2, 1, false, false);
         },
         freshCv,
         [&] {
             cv::Mat f;
             fftMat.convertTo(f, CV_32F);
             cv::dft(f, dst, cv::DFT_COMPLEX_OUTPUT);
         }},
    };
    for (const Case& c : cases)
        if (c.name.find(only) != std::string::npos)
            Report(c, 1);
    for (const Case& c : cases)
        if (c.threaded && c.name.find(only) != std::string::npos)
            Report(c, 2);
    return 0;
}

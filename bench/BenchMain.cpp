// Benchmarks run headless. --scale=N renders at N device pixels per view pixel: Qt reads the
// factor once, when the application object is made, so it is set before that.
#include <QApplication>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<char*> args;
    std::string scale = "1";
    for (int i = 0; i < argc; ++i) {
        constexpr const char* kScaleFlag = "--scale=";
        if (std::strncmp(argv[i], kScaleFlag, std::strlen(kScaleFlag)) == 0)
            scale = argv[i] + std::strlen(kScaleFlag);
        else
            args.push_back(argv[i]);
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (scale != "1")
        setenv("QT_SCALE_FACTOR", scale.c_str(), 1);
    int count = static_cast<int>(args.size());
    QApplication app(count, args.data());
    benchmark::AddCustomContext("device_pixel_ratio",
                                std::to_string(qApp->devicePixelRatio()).substr(0, 4));
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data()))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

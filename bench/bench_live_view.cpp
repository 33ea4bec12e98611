// Measures the live view against the simulated sensor and prints each figure beside its
// goal: the refresh rate on a paced 19200-baud line, the processor time it costs and what one
// refresh costs.
#include <app/Nalvo-ZUridozU10.h>
#include <com232/com232.h>
#include <gui/gui.h>
#include <platform/overrides.h>
#include <platform/serial.h>
#include <platform/ui.h>
#include <shared/ControlIds.h>
#include <sim/SimulatedSensor.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;

constexpr double kLineLimit = 19200.0 / 10.0 / (2.0 * FRAME_BYTES); // frames/s, 26.67
constexpr double kWindow = 1.0;                                     // seconds, for time shares

double seconds(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

double median(std::vector<double> values) {
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct LiveRun {
    double framesPerSecond = 0.0; // whole run
    double coreShare = 0.0;       // of the user-interface thread, whole run
    double cpuPerFrame = 0.0;     // milliseconds
    std::vector<double> cycles;   // seconds from one reply to the next
    std::vector<double> windowShares;
};

// Connects to the sensor and runs the live view for the given time, noting when each reply
// came and the processor time of this thread for every window of a second.
LiveRun runLiveView(sim::SimulatedSensor& sensor, double duration) {
    setenv("NALVO_COM1", sensor.devicePath().c_str(), 1);
    InitRS232(com);
    LiveRun run;
    const std::size_t firstReply = sensor.repliesSent();
    const double wallStart = seconds(CLOCK_MONOTONIC);
    const double cpuStart = seconds(CLOCK_THREAD_CPUTIME_ID);
    double windowStart = wallStart;
    double windowCpu = cpuStart;
    std::size_t replies = firstReply;
    double lastReply = 0.0;
    // The loop reads the clock as it sends the request that follows a reply.
    platform::setTimerSource([&] {
        const double now = seconds(CLOCK_MONOTONIC);
        if (const std::size_t sent = sensor.repliesSent(); sent != replies) {
            if (lastReply > 0.0 && sent == replies + 1)
                run.cycles.push_back(now - lastReply);
            lastReply = now;
            replies = sent;
        }
        if (now - windowStart >= kWindow) {
            const double cpu = seconds(CLOCK_THREAD_CPUTIME_ID);
            run.windowShares.push_back((cpu - windowCpu) / (now - windowStart));
            windowStart = now;
            windowCpu = cpu;
        }
        if (now - wallStart > duration)
            stop_flag = 1;
        return now;
    });
    CC_BTNRun(panelHandle, CTRL_RUN, kEventCommit, nullptr, 0, 0);
    const double wall = seconds(CLOCK_MONOTONIC) - wallStart;
    const double cpu = seconds(CLOCK_THREAD_CPUTIME_ID) - cpuStart;
    const auto frames = static_cast<double>(sensor.repliesSent() - firstReply);
    platform::setTimerSource({});
    CloseCom(com);
    run.framesPerSecond = frames / wall;
    run.coreShare = cpu / wall;
    run.cpuPerFrame = frames > 0 ? 1000.0 * cpu / frames : 0.0;
    return run;
}

// One refresh as the live view does it: decode the frame, show it, send the next request. The
// processor time it takes, since the write itself waits while the request is on the line.
double medianRefreshMilliseconds(sim::SimulatedSensor& sensor, int count) {
    setenv("NALVO_COM1", sensor.devicePath().c_str(), 1);
    OpenComConfig(com, "", 19200, 0, 8, 1, 4096, 4096);
    std::vector<double> costs;
    for (int i = 0; i < count; ++i) {
        sim::Words words{};
        for (std::size_t w = 0; w < words.size(); ++w)
            words[w] = static_cast<unsigned short>(400 + (i * 7 + static_cast<int>(w) * 13) % 300);
        const sim::Frame reply = sim::encodeFrame(8, words);
        std::copy(reply.begin(), reply.end(), szReadBuf);
        const double start = seconds(CLOCK_THREAD_CPUTIME_ID);
        GetRxBuf(PNUM);
        PlotRAWvalues();
        FlushInQ(com);
        FlushOutQ(com);
        CopyVarsToPP();
        FillTxBuf(8, pp);
        ComWrt(com, reinterpret_cast<const char*>(szWriteBuf), FRAME_BYTES);
        costs.push_back((seconds(CLOCK_THREAD_CPUTIME_ID) - start) * 1000.0);
        ProcessSystemEvents();
    }
    CloseCom(com);
    return median(costs);
}

std::string number(double value, int decimals) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

void row(const std::string& figure, const std::string& measured, const std::string& goal,
         const char* verdict) {
    std::printf("| %-70s | %-15s | %-14s | %-4s |\n", figure.c_str(), measured.c_str(),
                goal.c_str(), verdict);
}

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const double duration = argc > 1 ? std::atof(argv[1]) : 30.0;
    if (InitToolkit(argc, argv) < 0)
        return 1;
    RegisterMainPanel();
    panelHandle = LoadPanel(0, "Nalvo-ZUridozU10.uir", MAIN_PANEL);
    if (panelHandle < 0) {
        std::fprintf(stderr, "bench_live_view: the panel file does not load\n");
        return 1;
    }
    GetProjectDir(proj_dir);
    InitVars();
    DisplayPanel(panelHandle);

    sim::SimulatedSensor paced({19200, 0us});
    if (!paced.start()) {
        std::fprintf(stderr, "bench_live_view: the simulated sensor does not start\n");
        return 1;
    }
    const LiveRun line = runLiveView(paced, duration);
    // Silent, so that no reply is on its way while the next request goes out.
    paced.setFault(sim::Fault::Silent);
    const double refresh = medianRefreshMilliseconds(paced, 300);

    const double rate = 1.0 / median(line.cycles);
    const double share = median(line.windowShares);
    std::printf("Live view against the simulated sensor: %.0f s at 19200 baud, no turnaround.\n"
                "Rate from the median time between replies (%zu), processor time the median of "
                "one-second windows; whole run in brackets.\n\n",
                duration, line.cycles.size());
    std::printf("| %-70s | %-15s | %-14s | %-4s |\n", "figure", "measured", "goal", "");
    std::printf("|%s|%s|%s|%s|\n", std::string(72, '-').c_str(), std::string(17, '-').c_str(),
                std::string(16, '-').c_str(), std::string(6, '-').c_str());
    row("refresh rate, frames/s (line limit " + number(kLineLimit, 2) + ")",
        number(rate, 2) + " (" + number(line.framesPerSecond, 2) + ")",
        ">= " + number(0.99 * kLineLimit, 2), rate >= 0.99 * kLineLimit ? "met" : "MISS");
    row("processor time meanwhile, % of one core",
        number(100.0 * share, 1) + " (" + number(100.0 * line.coreShare, 1) + ")", "<= 5.0",
        share <= 0.05 ? "met" : "MISS");
    row("one refresh: decode, plot, next request, processor ms (median)", number(refresh, 3),
        "<= 0.5", refresh <= 0.5 ? "met" : "MISS");
    row("processor time per refresh, drawing and waiting included, ms", number(line.cpuPerFrame, 2),
        "", "");
    DiscardPanel(panelHandle);
    CloseToolkit();
    return 0;
}

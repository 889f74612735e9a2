// Makes the two files a demo application directory needs: the logo bitmap Velm_LOGO.BMP
// (238 x 79, the size of the logo place in the main window) and the alarm sound Alarm.wav
// (a short two-tone chime). Both are our own, drawn and synthesised here.
//
// Usage: make_demo_assets <output directory>

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

namespace {

bool WriteLogo(const std::string& path) {
  QImage image(238, 79, QImage::Format_RGB888);
  QPainter painter(&image);
  QLinearGradient gradient(0, 0, 238, 79);
  gradient.setColorAt(0.0, QColor(18, 52, 96));
  gradient.setColorAt(1.0, QColor(40, 120, 170));
  painter.fillRect(image.rect(), gradient);
  painter.setPen(QPen(QColor(255, 200, 40), 3));
  for (int i = 0; i < 5; ++i) {  // a small trend line as the mark
    painter.drawLine(10 + i * 12, 60 - (i % 2) * 18, 22 + i * 12, 60 - ((i + 1) % 2) * 18);
  }
  painter.setPen(Qt::white);
  QFont font("Sans", 26, QFont::Bold);
  painter.setFont(font);
  painter.drawText(QRect(80, 4, 150, 50), Qt::AlignVCenter | Qt::AlignLeft, "Tavrin");
  font.setPointSize(8);
  font.setBold(false);
  painter.setFont(font);
  painter.drawText(QRect(80, 50, 150, 22), Qt::AlignVCenter | Qt::AlignLeft, "plant supervision");
  painter.end();
  return image.save(QString::fromStdString(path), "BMP");
}

void PutLe(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

bool WriteChime(const std::string& path) {
  constexpr int kRate = 22050;
  constexpr double kSeconds = 0.8;
  const int samples = static_cast<int>(kRate * kSeconds);
  std::vector<std::uint8_t> pcm;
  for (int i = 0; i < samples; ++i) {
    const double t = static_cast<double>(i) / kRate;
    const double freq = t < kSeconds / 2 ? 880.0 : 660.0;
    const double phase = std::fmod(t, kSeconds / 2);
    const double envelope = std::exp(-5.0 * phase) * std::min(1.0, phase * 200.0);
    const double wave = std::sin(2 * std::numbers::pi * freq * t);
    const auto value = static_cast<std::int16_t>(12000.0 * envelope * wave);
    PutLe(pcm, static_cast<std::uint16_t>(value), 2);
  }
  std::vector<std::uint8_t> wav;
  const auto append = [&wav](const char* text) { wav.insert(wav.end(), text, text + 4); };
  append("RIFF");
  PutLe(wav, static_cast<std::uint32_t>(36 + pcm.size()), 4);
  append("WAVE");
  append("fmt ");
  PutLe(wav, 16, 4);
  PutLe(wav, 1, 2);  // PCM
  PutLe(wav, 1, 2);  // mono
  PutLe(wav, kRate, 4);
  PutLe(wav, kRate * 2, 4);
  PutLe(wav, 2, 2);
  PutLe(wav, 16, 2);
  append("data");
  PutLe(wav, static_cast<std::uint32_t>(pcm.size()), 4);
  wav.insert(wav.end(), pcm.begin(), pcm.end());
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(wav.data()), static_cast<std::streamsize>(wav.size()));
  return static_cast<bool>(file);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output directory>\n", argv[0]);
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const std::string dir = argv[1];
  const bool ok = WriteLogo(dir + "/Velm_LOGO.BMP") && WriteChime(dir + "/Alarm.wav");
  if (!ok) std::fprintf(stderr, "cannot write the demo assets into %s\n", dir.c_str());
  return ok ? 0 : 1;
}

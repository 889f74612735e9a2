#include "history/ReadOuts.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>

#include <algorithm>
#include <array>
#include <string_view>
#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr int kValuePointSize = 10;
// Smaller sizes are tried one pixel at a time, down to this height: still readable digits.
constexpr int kSmallestPixelSize = 8;
// The platform's edit keeps this much room at each side of its text, and one pixel for the
// cursor after it.
constexpr qreal kEditTextMargin = 2;
constexpr qreal kCursorWidth = 1;
// The characters of the number texts (ValueText), and what kerning may add to their width.
constexpr char kNumberChars[] = "0123456789.-+EeINFA";
constexpr qreal kKerningAllowance = 1;

void SetFontIfOther(QWidget& widget, const QFont& font) {
  if (widget.font() != font) widget.setFont(font);
}

}  // namespace

// A design font and its smaller sizes, with their metrics: a mouse move measures the texts of
// up to 128 boxes, nearly always in the design font.
class TFontSteps {
 public:
  explicit TFontSteps(const QFont& design) : design_(design) {
    fonts_.push_back(design);
    metrics_.emplace_back(design);
    QFont smaller = design;
    for (int pixels = QFontInfo(design).pixelSize() - 1; pixels >= kSmallestPixelSize; --pixels) {
      smaller.setPixelSize(pixels);
      fonts_.push_back(smaller);
      metrics_.emplace_back(smaller);
    }
    // The advances of the characters of number texts, and the most ink of any of them
    // reaches past its advance.
    const QFontMetricsF& metrics = metrics_.front();
    for (const char c : std::string_view(kNumberChars)) {
      numberAdvance_[static_cast<unsigned char>(c)] = metrics.horizontalAdvance(QLatin1Char(c));
      numberOverhang_ = std::max(numberOverhang_,
                                 -std::min<qreal>(0, metrics.leftBearing(QLatin1Char(c))) -
                                     std::min<qreal>(0, metrics.rightBearing(QLatin1Char(c))));
    }
  }
  const QFont& Design() const { return design_; }
  std::size_t Count() const { return fonts_.size(); }
  const QFont& Font(std::size_t step) const { return fonts_[step]; }

  // The width the text takes when drawn in step `step`: its advance, widened where the ink of
  // its first or last glyph reaches past it.
  qreal DrawnWidth(std::size_t step, const QString& text) const {
    if (text.isEmpty()) return 0;
    const QFontMetricsF& metrics = metrics_[step];
    return metrics.horizontalAdvance(text) - std::min<qreal>(0, metrics.leftBearing(text.front())) -
           std::min<qreal>(0, metrics.rightBearing(text.back()));
  }

  // The first step in which `text` takes at most `room`; the last (smallest) one when none
  // does (`fits` false then).
  std::size_t Fitting(const QString& text, qreal room, bool& fits) const {
    // Most texts are numbers that fit with room to spare without being laid out: their width
    // is the sum of their characters' advances (give or take a pixel of kerning).
    if (const qreal sum = NumberTextAdvance(text); sum > 0) {
      fits = sum + numberOverhang_ + kKerningAllowance <= room;
      if (fits) return 0;
    }
    return Fitting(text, DrawnWidth(0, text), room, fits);
  }
  // The same, for a text whose DrawnWidth in the design font is `designWidth`.
  std::size_t Fitting(const QString& text, qreal designWidth, qreal room, bool& fits) const {
    fits = designWidth <= room;
    if (fits) return 0;
    for (std::size_t step = 1; step < Count(); ++step) {
      fits = DrawnWidth(step, text) <= room;
      if (fits) return step;
    }
    return Count() - 1;
  }

 private:
  QFont design_;
  std::vector<QFont> fonts_;
  std::vector<QFontMetricsF> metrics_;
  std::array<qreal, 128> numberAdvance_{};  // 0 for a character of no number text
  qreal numberOverhang_ = 0;

  // The sum of the advances of a number text's characters; 0 for another text.
  qreal NumberTextAdvance(const QString& text) const {
    qreal sum = 0;
    for (const QChar c : text) {
      const qreal advance = c.unicode() < numberAdvance_.size() ? numberAdvance_[c.unicode()] : 0;
      if (advance <= 0) return 0;
      sum += advance;
    }
    return sum;
  }
};

namespace {

// The steps of `design`, made again only when another design font is asked for.
const TFontSteps& StepsOf(const QFont& design, std::unique_ptr<TFontSteps>& cache) {
  if (!cache || cache->Design() != design) cache = std::make_unique<TFontSteps>(design);
  return *cache;
}

}  // namespace

TReadOuts::TReadOuts() = default;
TReadOuts::~TReadOuts() = default;

qreal TReadOuts::EditTextRoom(const QLineEdit& box, int width) {
  const QSize size(width, box.height());
  if (box.style() == roomStyle_ && size == roomSize_ && box.hasFrame() == roomFrame_) {
    return room_;
  }
  QStyleOptionFrame option;
  option.initFrom(&box);
  option.rect = QRect(QPoint(0, 0), size);
  option.lineWidth = box.hasFrame() ? box.style()->pixelMetric(QStyle::PM_DefaultFrameWidth,
                                                                &option, &box)
                                    : 0;
  option.midLineWidth = 0;
  option.state |= QStyle::State_Sunken;
  const QRect contents = box.style()->subElementRect(QStyle::SE_LineEditContents, &option, &box);
  const QMargins margins = box.textMargins();
  roomStyle_ = box.style();
  roomSize_ = size;
  roomFrame_ = box.hasFrame();
  room_ = contents.width() - margins.left() - margins.right() - 2 * kEditTextMargin - kCursorWidth;
  return room_;
}

QFont ValueBoxFont(const QFont& windowFont) {
  QFont font = windowFont;
  font.setPointSize(kValuePointSize);
  font.setBold(true);
  return font;
}

void TReadOuts::ShowValueText(QLineEdit& box, const QString& text, const QFont& design,
                              const QRect& place) {
  const TFontSteps& steps = StepsOf(design, valueFonts_);
  const QRect& designRect = place;
  const qreal room = EditTextRoom(box, designRect.width());
  bool fits = false;
  const std::size_t step = steps.Fitting(text, room, fits);
  QRect rect = designRect;
  if (!fits) {
    // Not even the smallest size fits: the box widens to the left by what its text lacks.
    const qreal lacking = steps.DrawnWidth(step, text) - room;
    rect.setLeft(std::max(0, designRect.left() - static_cast<int>(std::ceil(lacking))));
    box.raise();
  }
  if (box.geometry() != rect) box.setGeometry(rect);
  SetFontIfOther(box, steps.Font(step));
  box.setText(text);
  box.setCursorPosition(0);
}

void TReadOuts::ShowReadOutLine(QLabel& label, const QString& text, const QFont& design,
                                const QSize& designSize) {
  const TFontSteps& steps = StepsOf(design, lineFonts_);
  // Blanks at the end show nothing.
  QString shown = text;
  while (!shown.isEmpty() && shown.back().isSpace()) shown.chop(1);
  const int designWidth = designSize.width();
  const int widest =
      label.parentWidget() != nullptr ? label.parentWidget()->width() - label.x() : designWidth;
  // Its design width, or what its text needs, within its parent.
  const qreal designDrawn = steps.DrawnWidth(0, shown);
  const int needed = static_cast<int>(std::ceil(designDrawn)) + 1;
  const int width = std::max(1, std::min(std::max(needed, designWidth), widest));
  const int frame = label.width() - label.contentsRect().width();
  bool fits = false;
  // Measured once per move: the design font's width found above is the first step's.
  const std::size_t step = steps.Fitting(shown, designDrawn, width - frame, fits);
  SetFontIfOther(label, steps.Font(step));
  label.setText(text);
  if (label.wordWrap() != !fits) label.setWordWrap(!fits);
  const int height = fits ? designSize.height()
                          : std::max(designSize.height(), label.heightForWidth(width));
  if (label.size() != QSize(width, height)) label.resize(width, height);
}

// A picture button that sinks: one picture released, another pressed, and a caption that
// moves right and down while pressed; a push button or a latching one.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPixmap>
#include <QString>
#include <QWidget>

// A caption font with its colour, which QFont does not carry.
struct FonteLegenda {
  QFont fonte;
  QColor cor = Qt::black;

  bool operator==(const FonteLegenda &) const = default;
};

// The button draws its look into a picture of its own (the canvas) only when one of the
// operations below says so; paintEvent shows that picture unscaled at the top-left corner,
// and where it is transparent the parent shows through. So a change that only stores
// (setTextStatic, setButtonStyle) shows at the next redraw, and resizing the widget does not
// redraw. Captions are placed by the top-left corner of their text cell, in pixels of the
// widget. Qt reports the second press of a double click as a double click only, which
// presses like any other press. A disabled button ignores the mouse. User-interface thread
// only.
class TOrvButton3D : public QWidget {
  Q_OBJECT
  Q_PROPERTY(QPixmap _PictureDown READ getPictureDown WRITE setImagemPressionada)
  Q_PROPERTY(QPixmap _PictureUp READ getPictureUp WRITE setImagemSolta)
  Q_PROPERTY(TOrvButton3DStyle _ButtonStyle READ getButtonStyle WRITE setButtonStyle)
  Q_PROPERTY(bool _Pressed READ isPressed WRITE setPressed)
  Q_PROPERTY(bool _AutoControlPressing READ isAutoControlPressing WRITE setAutoControlPressing)
  Q_PROPERTY(QString _Text READ getText WRITE setText)
  Q_PROPERTY(int _TextX READ getTextX WRITE setTextX)
  Q_PROPERTY(int _TextY READ getTextY WRITE setTextY)
  Q_PROPERTY(int _TextPressedDepth READ getTextPressedDepth WRITE setTextDepth)
  Q_PROPERTY(FonteLegenda _TextFont READ getTextFont WRITE setTextFont)
  Q_PROPERTY(bool _TextCentered READ isTextCentered WRITE setTextCentered)
  Q_PROPERTY(bool _TextCenteredX READ isTextCenteredX WRITE setTextCenteredX)
  Q_PROPERTY(bool _TextCenteredY READ isTextCenteredY WRITE setTextCenteredY)
  Q_PROPERTY(bool _TextStatic READ isTextStatic WRITE setTextStatic)
  Q_PROPERTY(FonteLegenda _TextShadedFont READ getTextShadedFont WRITE setTextShadedFont)
  Q_PROPERTY(bool _TextShaded READ isTextShaded WRITE setTextShaded)

 public:
  enum TOrvButton3DStyle {
    bsDropWhenPressed = 0,  // pressed only while the left button is held
    bsHoldWhenPressed = 1,  // one click latches it pressed, the next releases it
  };
  Q_ENUM(TOrvButton3DStyle)

  // A released push button, 100 x 27, with a hand cursor, no pictures and no caption; the
  // caption font is the application's in black, the shadow's the same in white.
  explicit TOrvButton3D(QWidget *parent = nullptr);

  // --- Properties --------------------------------------------------------------------------

  // The picture shown while pressed; a null pixmap shows nothing.
  const QPixmap &getPictureDown() const { return pictureDown; }
  // Copies the picture and shows the button pressed.
  void setImagemPressionada(const QPixmap &imagem);

  // The picture shown while released; a null pixmap shows nothing, caption included.
  const QPixmap &getPictureUp() const { return pictureUp; }
  // Copies the picture, gives the button its size (0 x 0 for a null one), centres the caption
  // as the centring flags say and shows the button released.
  void setImagemSolta(const QPixmap &imagem);

  TOrvButton3DStyle getButtonStyle() const { return buttonStyle; }
  // Stores only: the next left click follows the new style.
  void setButtonStyle(TOrvButton3DStyle estilo) { buttonStyle = estilo; }

  bool isPressed() const { return pressed; }
  // Draws the pressed look when pressionado, the released one otherwise, and keeps the state.
  void setPressed(bool pressionado);

  // Whether the left mouse button presses and releases the button by itself.
  bool isAutoControlPressing() const { return autoControlPressing; }
  void setAutoControlPressing(bool automatico) { autoControlPressing = automatico; }

  const QString &getText() const { return text; }
  // Stores the caption, centres it where a centring flag is on, and redraws.
  void setText(const QString &legenda);

  // The caption's left and top edges in the released look, in pixels.
  int getTextX() const { return textX; }
  int getTextY() const { return textY; }
  // Turn the centring of that axis off, place the caption there and redraw.
  void setTextX(int x);
  void setTextY(int y);

  // Pixels the caption moves right and down while pressed.
  int getTextPressedDepth() const { return textPressedDepth; }
  // Stores and redraws.
  void setTextDepth(int profundidade);

  const FonteLegenda &getTextFont() const { return textFont; }
  // Copies the font, recentres where centring is on and redraws.
  void setTextFont(const FonteLegenda &fonte);

  // True while the caption is centred on both axes.
  bool isTextCentered() const { return textCentered; }
  bool isTextCenteredX() const { return textCenteredX; }
  bool isTextCenteredY() const { return textCenteredY; }
  // Centring on both axes on or off, then a redraw (which centres when on).
  void setTextCentered(bool centrado);
  // Centring of one axis; isTextCentered follows both axes. Redraws.
  void setTextCenteredX(bool centrado);
  void setTextCenteredY(bool centrado);

  // Whether the caption stays in place while pressed.
  bool isTextStatic() const { return textStatic; }
  // Stores only: it shows at the next redraw.
  void setTextStatic(bool estatico) { textStatic = estatico; }

  const FonteLegenda &getTextShadedFont() const { return textShadedFont; }
  // Copies the shadow's font and redraws.
  void setTextShadedFont(const FonteLegenda &fonte);

  // Whether the caption has a shadow one pixel right and down, drawn beneath it.
  bool isTextShaded() const { return textShaded; }
  // Stores and redraws.
  void setTextShaded(bool sombreado);

  // --- Drawing -----------------------------------------------------------------------------
  // They draw the look only; the pressed state stays as it is.

  // Clears the canvas and draws the released picture with the caption at its place; an empty
  // released picture leaves the canvas blank.
  void soltarBotao();
  // Clears the canvas and draws the pressed picture with the caption moved by the pressed
  // depth (unless static); an empty pressed picture leaves the canvas blank.
  void pressionarBotao();
  // Draws the caption with its top-left corner at x, y, the shadow first when it is on; the
  // background behind the text stays as it is.
  void imprimirTexto(int x, int y);
  // Recomputes the caption's place on each centred axis from the caption font's measure:
  // (size - text size) / 2, truncated toward zero. An empty caption measures 0 x 0.
  void centralizarCoordenadasTexto();

 signals:
  // Any mouse button went down over the button; the look has already changed.
  void mouseDown(Qt::MouseButton botao);
  // A mouse button went up; the button that received the press receives it, wherever the
  // pointer is. The look has already changed.
  void mouseUp(Qt::MouseButton botao);
  // The left button went up over the button after going down on it.
  void click();

 protected:
  void paintEvent(QPaintEvent *evento) override;
  void mousePressEvent(QMouseEvent *evento) override;
  void mouseReleaseEvent(QMouseEvent *evento) override;

 private:
  // Redraws the look of the current state, recentring first (what setText(text) does).
  void redesenhar() { setText(text); }
  // Empties the canvas at the widget's size and answers it for drawing.
  QImage &limparQuadro();

  QPixmap pictureDown;
  QPixmap pictureUp;
  TOrvButton3DStyle buttonStyle = bsDropWhenPressed;
  bool pressed = false;
  bool autoControlPressing = true;
  QString text;
  int textX = 0;
  int textY = 0;
  int textPressedDepth = 1;
  FonteLegenda textFont;
  bool textCentered = true;
  bool textCenteredX = true;
  bool textCenteredY = true;
  bool textStatic = false;
  FonteLegenda textShadedFont{QFont(), Qt::white};
  bool textShaded = false;

  // Set when a latched button is pressed again, so that this click's release unlatches it.
  bool soltarTrava = false;
  // What paintEvent shows; null until the first drawing.
  QImage quadro;
};

// Decoding the bytes of language and configuration files, and the INI reader.
#include <gtest/gtest.h>

#include "ArquivosTeste.h"
#include "config/LeitorIni.h"
#include "config/TextoCodificado.h"

// --- encoding ------------------------------------------------------------------------

TEST(TextoCodificadoIdioma, ValidUtf8IsReadAsUtf8) {
  EXPECT_EQ(decodificarTexto("Portugu\xc3\xaas \xe2\x82\xac"), QString::fromUtf8("Português €"));
  // The byte-order mark is not part of the text.
  EXPECT_EQ(decodificarTexto("\xef\xbb\xbf[geral]"), "[geral]");
  EXPECT_EQ(decodificarTexto(""), "");
}

TEST(TextoCodificadoIdioma, AnyInvalidUtf8MakesTheWholeFileWindows1252) {
  // "Español" in Windows-1252, then a valid UTF-8 sequence that must not be read as one.
  EXPECT_EQ(decodificarTexto("Espa\xf1ol \xc3\xa9"), QString::fromUtf8("Español Ã©"));
  // The bytes where Windows-1252 differs from Latin-1.
  EXPECT_EQ(decodificarTexto("\x80\x93x\x94\x85\x9f"), QString::fromUtf8("€“x”…Ÿ"));
  // Undefined bytes keep their number.
  EXPECT_EQ(decodificarTexto("\x81\x8d"), QString(QChar(0x81)) + QChar(0x8d));
  // A sequence cut at the very end is invalid too.
  EXPECT_EQ(decodificarTexto("ol\xc3"), QString::fromUtf8("olÃ"));
}

TEST(TextoCodificadoIdioma, LinesEndAtCrLfOrCrLf) {
  EXPECT_EQ(separarLinhas("a\r\nb\rc\nd"), (QStringList{"a", "b", "c", "d"}));
  EXPECT_EQ(separarLinhas("a\n\nb\n"), (QStringList{"a", "", "b"}));
  EXPECT_EQ(separarLinhas("\r\n\r"), (QStringList{"", ""}));
}

TEST(TextoCodificadoIdioma, TrimmingRemovesBlanksAndControlCharacters) {
  EXPECT_EQ(aparar(" \t\x01 a b \t\x1f "), "a b");
  // A no-break space is text, not a blank.
  EXPECT_EQ(aparar(QString(QChar(0xa0)) + "a"), QString(QChar(0xa0)) + "a");
}

// --- INI reader ----------------------------------------------------------------------

TEST(LeitorIniConfiguracao, NamesMatchRegardlessOfCaseAndValuesAreStripped) {
  const LeitorIni ini("[Geral]\n  DRIVER =\t 3 \nIdioma=\"Espa\xc3\xb1ol\"\nvolume='12'\n");
  EXPECT_EQ(ini.lerTexto("geral", "driver", "0"), "3");
  EXPECT_EQ(ini.lerTexto("GERAL", "idioma", ""), QString::fromUtf8("Español"));
  EXPECT_EQ(ini.lerTexto("geral", "volume", ""), "12");
  EXPECT_EQ(ini.lerTexto("geral", "falta", "padrao"), "padrao");
  EXPECT_EQ(ini.lerTexto("falta", "driver", "padrao"), "padrao");
}

TEST(LeitorIniConfiguracao, FirstSectionAndFirstKeyWin) {
  const LeitorIni ini("antes=0\n[a]\nk=1\nK=2\n[b]\nk=3\n[A]\nk=4\nsomente=5\n");
  EXPECT_EQ(ini.lerTexto("a", "k", ""), "1");
  EXPECT_EQ(ini.lerTexto("b", "k", ""), "3");
  // The second [A] is never searched.
  EXPECT_EQ(ini.lerTexto("a", "somente", "nada"), "nada");
  EXPECT_EQ(ini.lerTexto("", "antes", "nada"), "nada");
}

TEST(LeitorIniConfiguracao, CommentsLongLinesAndOddLines) {
  const QString longo(500, u'x');
  const LeitorIni ini("[s]\n;k=comment\nsemIgual\nk2 = a ; b\n  indentada=1\nlongo=" + longo +
                      "\n[sem fecho\nk3=3\n[ t ]\nk4=4\n");
  EXPECT_EQ(ini.lerTexto("s", "k", "nada"), "nada");
  EXPECT_EQ(ini.lerTexto("s", "semIgual", "nada"), "");
  EXPECT_EQ(ini.lerTexto("s", "k2", ""), "a ; b");
  EXPECT_EQ(ini.lerTexto("s", "indentada", ""), "1");
  EXPECT_EQ(ini.lerTexto("s", "longo", ""), longo);
  // A "[" line without "]" opens nothing: k3 still belongs to [s].
  EXPECT_EQ(ini.lerTexto("s", "k3", ""), "3");
  EXPECT_EQ(ini.lerTexto("t", "k4", ""), "4");
}

#!/usr/bin/perl
# Differential-test oracle: answers generated match cases with Perl's own match operator.
#
# Input lines: "P <hex of an expression in cp932>" (m<d>...<d>flags, /.../flags
# or a bare pattern, as the library takes them) followed by
# "S <hex of a subject in cp932>" lines that are tried against it. Output, one
# line per input line: "C" (compiled) or "E" (rejected) for P, "1"/"0" for S.
# Text is split into characters the way the library decodes it (a lead byte
# without a valid trail byte is a character of its own) and each character is
# decoded on its own, so Perl sees exactly the characters the library sees.
use strict;
use warnings;
use Encode ();

my %memo;

sub decode_char {
  my ($tok) = @_;
  return $memo{$tok} //= do {
    my $ch;
    if (length($tok) == 2 || $tok !~ /^[\x81-\x9F\xE0-\xFC]$/) {
      $ch = eval { Encode::decode('cp932', $tok, Encode::FB_CROAK) };
    }
    # Characters the code page leaves unmapped, and lone lead bytes, become
    # distinct private characters: neither word nor space nor line feed.
    if (!defined $ch || length($ch) != 1) {
      my $code = 0;
      $code = $code * 256 + ord($_) for split //, $tok;
      $ch = chr(0xF0000 + $code);
    }
    $ch;
  };
}

sub decode_text {
  my ($bytes) = @_;
  my $out = '';
  while ($bytes =~ /\G([\x81-\x9F\xE0-\xFC][\x40-\x7E\x80-\xFC]|[\x00-\xFF])/gs) {
    $out .= decode_char($1);
  }
  return $out;
}

my ($in_path, $out_path) = @ARGV;
open(my $in, '<', $in_path) or die "cannot read $in_path: $!";
open(my $out, '>', $out_path) or die "cannot write $out_path: $!";
my $re;
while (my $line = <$in>) {
  chomp $line;
  my ($kind, $hex) = split / /, $line, 2;
  my $text = decode_text(pack('H*', $hex // ''));
  if ($kind eq 'P') {
    # The library's forms: m<d>...<d>flags with a delimiter that is no word
    # character, /.../flags, either with blank space after the flags, or else
    # a bare pattern. Perl's own match operator is compiled, so that Perl
    # judges the flags (g and c included) and the blanks; reset() keeps m?...?
    # matching on every call.
    my $op;
    if ($text =~ /^m[^\w\s]/) {
      $op = $text;
    } elsif ($text =~ m{^/.*/[a-zA-Z]*\s*$}s) {
      $op = "m$text";
    } else {
      $op = "m\x01$text\x01";
    }
    no warnings;
    # \d \w \s, \b and POSIX classes are ASCII in the library, as under /a.
    $re = eval "use re '/a'; sub { reset(); \$_[0] =~ $op\n}";
    print $out (defined $re ? "C\n" : "E\n");
  } else {
    print $out (!defined $re ? "-\n" : ($re->($text) ? "1\n" : "0\n"));
  }
}
close $out or die "cannot write $out_path: $!";

% SPDX-License-Identifier: MIT
% The work of the analysis and of `bode` done the usual way with Octave and its control
% package, for comparison: `margin` of the variants without a delay (control 3.4 has no
% delays), and W(jw) at 401 points from 0.01 to 100 rad/s (polyval, as freqs does) with the
% delay's factor and the phase unwrapped.
% Prints one line a case: its name and the median processor time of one computation in
% microseconds over `rounds` rounds (each repeats the case until 0.2 s have passed).
% Usage: octave --no-gui --quiet octave_peers.m [rounds]
1;
pkg load control

function us = timed(job)
  count = 0;
  start = cputime;
  do
    [~] = job(); % an output: without one, margin draws
    count++;
    spent = cputime - start;
  until spent >= 0.2
  us = spent / count * 1e6;
end

function [gain, phase, wcg, wcp] = margins(num, den)
  [gain, phase, wcg, wcp] = margin(tf(num, den));
end

function [L, phase] = bode_points()
  b = 0.9;
  a = [1 15 105 455 1365 3003 5005 6435 6435 5005 3003 1365 455 105 15 1];
  w = logspace(-2, 2, 401);
  h = polyval(b, 1i * w) ./ polyval(a, 1i * w) .* exp(-1i * w * 1);
  L = 20 * log10(abs(h));
  phase = unwrap(angle(h)) * 180 / pi;
end

args = argv();
rounds = 5;
if numel(args) > 0
  rounds = str2double(args{1});
end
fifteen = [1 15 105 455 1365 3003 5005 6435 6435 5005 3003 1365 455 105 15 1];
names = {"CubicLagGain2", "Fifteen", "LogCharacteristicsFifteen"};
jobs = {@() margins(2, [1 3 3 1]), @() margins(1.2, fifteen), @() bode_points()};
for k = 1:numel(jobs)
  figures = zeros(1, rounds);
  for r = 1:rounds
    figures(r) = timed(jobs{k});
  end
  printf("%s %.1f\n", names{k}, median(figures));
end
